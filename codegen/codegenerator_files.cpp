// A machine's files: their texts, written aside first, then all renamed
// into place, never outside the output folder.

#include "codegenerator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool CodeGenerator::resolveTarget(const QString& path, QString* target)
{
    // A link is followed only while it stays inside the output folder: a
    // link planted there must not redirect the files anywhere else.
    const QString folder = QFileInfo(filePath + QLatin1Char('/')).canonicalFilePath();
    QString current = path;
    for (int hops = 0; QFileInfo(current).isSymLink(); ++hops) {
        const QFileInfo link(current);
        const QString pointee = link.symLinkTarget();
        const QFileInfo pointeeInfo(pointee);
        const QString pointeeFolder = QFileInfo(pointeeInfo.absolutePath()).canonicalFilePath();
        if (hops >= 8 || folder.isEmpty() || pointeeFolder.isEmpty()
            || !(pointeeFolder == folder || pointeeFolder.startsWith(folder + QLatin1Char('/')))) {
            writeErrors.append(QStringLiteral("File %1 of state machine %2 was not written: it is a symbolic "
                                              "link to %3, outside the output folder")
                                   .arg(path, stateMachineName, pointee));
            return false;
        }
        current = pointeeFolder + QLatin1Char('/') + pointeeInfo.fileName();
    }
    if (QFileInfo(current).isDir()) {
        writeErrors.append(QStringLiteral("File %1 of state machine %2 could not be written: %3")
                               .arg(path, stateMachineName, QStringLiteral("a folder of that name is in the way")));
        return false;
    }
    *target = current;
    return true;
}

CodeGenerator::TextSource CodeGenerator::piecesOf(const QStringList& pieces)
{
    return [pieces](const FileSet::Put& put) {
        for (const QString& piece : pieces)
            put(piece);
    };
}

bool CodeGenerator::writeFiles(const QVector<QString>& paths, const QVector<TextSource>& texts)
{
    // A full disk, a failed write or an interrupted run leaves the previous
    // files as they were, together.
    QVector<QString> targets(paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        if (!resolveTarget(paths[i], &targets[i]))
            return false;
    }
    const auto failed = [this, &paths](int i, const QString& reason) {
        writeErrors.append(QStringLiteral("File %1 of state machine %2 could not be written: %3")
                               .arg(paths[i], stateMachineName, reason));
        return false;
    };
    FileSet files;
    for (int i = 0; i < paths.size(); ++i) {
        if (!files.write(targets[i], texts[i]))
            return failed(i, files.errorString());
    }
    const int unplaced = files.commit();
    return unplaced < 0 || failed(unplaced, files.errorString());
}

bool CodeGenerator::writeHeaderFile()
{
    return writeFiles({headerFilePath()}, {piecesOf({headerFileText()})});
}

bool CodeGenerator::writeSourceFile()
{
    return writeFiles({sourceFilePath()}, {piecesOf(sourceFilePieces())});
}

bool CodeGenerator::isSafeFileStem(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && name != QLatin1String(".")
        && name != QLatin1String("..");
}

bool CodeGenerator::outputFolderUsable()
{
    // The files go to filePath + "/", so that is the folder to look at.
    const QString folder = QDir::cleanPath(filePath + QLatin1Char('/'));
    const QFileInfo info(folder);
    if (!info.exists()) {
        writeErrors.append(QStringLiteral("State machine %1 was skipped: the output folder %2 does not exist")
                               .arg(stateMachineName, folder));
        return false;
    }
    if (!info.isDir()) {
        writeErrors.append(QStringLiteral("State machine %1 was skipped: the output folder %2 is not a folder")
                               .arg(stateMachineName, folder));
        return false;
    }
    if (!info.isWritable()) {
        writeErrors.append(QStringLiteral("State machine %1 was skipped: the output folder %2 is not writable")
                               .arg(stateMachineName, folder));
        return false;
    }
    return true;
}

bool CodeGenerator::writeStateMachineFiles()
{
    writeErrors.clear();
    errorList.clear();
    refusedForDesign = false;
    if (!machine) {
        writeErrors.append(QStringLiteral("No state machine was given to the code generator"));
        return false;
    }
    const QVector<DesignLinter::Finding> refusals = designRefusals();
    projectDesignErrors.clear();
    if (!refusals.isEmpty()) {
        const QString path = DesignLinter::machinePath(machine);
        for (const DesignLinter::Finding& finding : refusals)
            errorList.append(path + QStringLiteral(": ") + finding.message);
        refusedForDesign = true;
        return false;
    }
    if (!isSafeFileStem(stateMachineName)) {
        writeErrors.append(QStringLiteral("State machine %1 was skipped: its name would place its files "
                                          "outside the output folder")
                               .arg(stateMachineName));
        return false;
    }
    if (!outputFolderUsable())
        return false;
    // The source uses names set while the header is built.
    const QString header = headerFileText();
    if (tracing)
        return writeFiles({headerFilePath(), sourceFilePath()}, {piecesOf({header}), piecesOf(sourceFilePieces())});
    // The source's beginning is made before any file is written, as its
    // errors are; the states' functions follow one by one as it is written.
    const QStringList head = sourceHead(nullptr, nullptr);
    const TextSource source = [this, head](const FileSet::Put& put) {
        for (const QString& piece : head)
            put(piece);
        streamStates(put);
    };
    return writeFiles({headerFilePath(), sourceFilePath()}, {piecesOf({header}), source});
}

QVector<DesignLinter::Finding> CodeGenerator::designRefusals() const
{
    return DesignLinter::nameErrors(machine) + projectDesignErrors;
}

QStringList CodeGenerator::existingOutputFiles()
{
    generateHeaderFileName();
    generateSourceFileName();
    QStringList existing;
    for (const QString& path : {headerFilePath(), sourceFilePath()}) {
        if (QFileInfo::exists(path))
            existing.append(path);
    }
    return existing;
}

QString CodeGenerator::headerFileText()
{
    generateHeaderFileName();
    updateFileHeaderForHeaderString();
    updateHeaderGuards();
    updateUserIncludesString();
    updateEnumString();
    updateGlobalFunctionsDeclarations();

    QString text = fileHeaderString + blankLine + headerGuardBegin + blankLine
        + QStringLiteral("/*--------------------------------- user includes ---------------------------------*/ \n");
    if (tracing)
        headerOriginList = textOrigins(text.size(), TextElement::Includes);
    text += userIncludesString + blankLine
        + QStringLiteral("/*------------------------------ global declarations ------------------------------*/ \n")
        + QLatin1Char('\n') + enumString + blankLine
        + QStringLiteral("/*----------------------------- function declarations -----------------------------*/ \n")
        + QLatin1Char('\n');
    for (const QString& declaration : qAsConst(globalFunctionsDeclarations))
        text += declaration + blankLine;
    text += headerGuardEnd;
    return text;
}

QString CodeGenerator::sourceFileText()
{
    return sourceFilePieces().join(QString());
}

QStringList CodeGenerator::sourceFilePieces()
{
    int macros = 0;
    int code = 0;
    QStringList pieces = sourceHead(&macros, &code);
    makeStateCode();
    // The pieces share their text with the generator's: the code of the
    // states is never copied.
    pieces.reserve(pieces.size() + 2 * stateCodeVector.size());
    for (const QString& stateCode : qAsConst(stateCodeVector)) {
        pieces.append(stateCode);
        pieces.append(stateGap);
    }
    if (tracing)
        traceSourceOrigins(macros, code, pieces);
    return pieces;
}

void CodeGenerator::streamStates(const FileSet::Put& put) const
{
    // On a large machine the code of the states is most of the file: each
    // state's goes to the file as it is made, never all of it at once.
    for (const StateElement& state : states()) {
        put(stateCode(state, nullptr));
        put(stateGap);
    }
}

QStringList CodeGenerator::sourceHead(int* macros, int* code)
{
    generateSourceFileName();
    updateFileHeaderForSourceString();
    updateDefaultIncludesString();
    updateUserMacrosString();
    updateGlobalVariables();
    updateUserCodeString();
    updateSourceHeaders();
    updateGlobalFunctionsDefinitions();
    // The states' own functions are made by whoever takes the source:
    // all at once as pieces, or one by one into a file.
    indexStatePositions();
    updateState0CodeString();

    QString preamble = fileHeaderString + blankLine
        + QStringLiteral("/*----------------------------------- includes -----------------------------------*/ \n")
        + QLatin1Char('\n') + defaultIncludesString + blankLine
        + QStringLiteral("/*--------------------------------- user defines ---------------------------------*/ \n")
        + QLatin1Char('\n');
    if (macros)
        *macros = preamble.size();
    preamble += userMacrosString
        + QStringLiteral("/*---------------------------------- variables -----------------------------------*/ \n")
        + QLatin1Char('\n') + globalVariablesString
        + QStringLiteral("/*---------------------------------- user code -----------------------------------*/ \n")
        + QLatin1Char('\n');
    if (code)
        *code = preamble.size();
    preamble += userCodeString
        + QStringLiteral("/*---------------------------------- headers -------------------------------------*/ \n")
        + QLatin1Char('\n') + sourceHeadersString
        + QStringLiteral("/*--------------------------- function definitions -------------------------------*/ \n")
        + QLatin1Char('\n');
    return {preamble, globalFunctionsDefinitionsString, QStringLiteral("\n"), state0CodeString, stateGap};
}

QString CodeGenerator::headerFilePath() const
{
    return filePath + QLatin1Char('/') + stateMachineName + QStringLiteral(".h");
}

QString CodeGenerator::sourceFilePath() const
{
    return filePath + QLatin1Char('/') + stateMachineName + QStringLiteral(".c");
}
