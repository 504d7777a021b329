#ifndef CODEGENERATOR_H
#define CODEGENERATOR_H

#include <QString>
#include <QStringList>
#include <QVector>

#include "designlinter.h"
#include "diagram.h"
#include "elementid.h"
#include "fileset.h"
#include "idindex.h"
#include "memoryelement.h"
#include "stateelement.h"
#include "textelement.h"
#include "transitionelement.h"

class ProjectNode;

// Turns one state machine (a level-5 node of a project document, drawn as a
// process on its module's diagram) into its C header and source file.
// Between runs it keeps the output folder and the texts of the file header;
// everything else is rebuilt from the machine. It never opens a window: the
// window asks its questions and shows the log.
class CodeGenerator
{
public:
    CodeGenerator();

    QString getFilePath() const { return filePath; }
    QString getAuthor() const { return author; }
    QString getOrganization() const { return organization; }
    double getVersionNo() const { return versionNo; }
    QString getProjectName() const { return projectName; }

    // Keeps the folder part of a project file's path, up to its last "/".
    void setFilePath(const QString& path);
    // Takes a folder chosen by the user as it is.
    void setOutputFolder(const QString& folder) { filePath = folder; }
    void setprojectName(const QString& name) { projectName = name; }
    void setAuthor(const QString& text) { author = text; }
    void setOrganization(const QString& text) { organization = text; }
    void setVersionNo(int number) { versionNo = number; }
    // The settings store the version as a real number.
    void setVersionNumber(double number) { versionNo = number; }

    // The machine to generate; its document must outlive the run. Its parent,
    // when it has one, is the module whose dataflows feed it.
    void setMachine(const ProjectNode* node);
    void setNumberOfInputOutputVariables();

    void generateHeaderFileName();
    void generateSourceFileName();
    static QString getCurrentDateTime();
    // Empty when SOURCE_DATE_EPOCH is unset, empty or a usable date;
    // otherwise why it cannot be used (the date then falls back to today).
    static QString sourceDateEpochProblem();
    // User text for the inside of a C comment: "*/" and "/*" are broken up
    // so that the comment ends where the generator ends it.
    static QString commentText(const QString& text);

    void updateFileHeaderForHeaderString();
    void updateFileHeaderForSourceString();
    void updateHeaderGuards();
    void updateDefaultIncludesString();
    void updateUserIncludesString();
    void updateUserMacrosString();
    void updateUserCodeString();
    void updateEnumString();
    void updateGlobalVariables();
    void updateSourceHeaders();
    void updateGlobalFunctionsDeclarations();
    void updateMainFunctionString();
    void updateGlobalFunctionsDefinitions();
    void updateState0CodeString();

    // The complete texts of the two files; the source must follow the header
    // of the same run, since it uses names set while the header was built.
    QString headerFileText();
    QString sourceFileText();
    // The source file's text in order, pieces sharing the generator's strings.
    QStringList sourceFilePieces();

    bool writeHeaderFile();
    bool writeSourceFile();

    // One run without any dialog: both files into the output folder. A
    // machine whose files would land outside the folder, or a folder that is
    // missing or read-only, is skipped. So is a machine with design errors
    // that would give C that does not compile (designRefusals). Both files
    // are written aside and renamed into place together. False when a file
    // was not written; the reasons are in getWriteErrors(), the design
    // errors in getErrorList().
    bool writeStateMachineFiles();
    // Errors found elsewhere in the project that stop the next run of this
    // generator (two machines writing the same files); used up by that run.
    void setProjectDesignErrors(const QVector<DesignLinter::Finding>& findings) { projectDesignErrors = findings; }
    // The design errors that keep the current machine's files from being
    // written; empty when they may be written.
    QVector<DesignLinter::Finding> designRefusals() const;
    // True when the last run wrote nothing because of designRefusals().
    bool refusedForDesignErrors() const { return refusedForDesign; }
    // True when the machine's name keeps its files inside the output folder.
    static bool isSafeFileStem(const QString& name);

    // Sets both file names and returns the paths of those already present.
    QStringList existingOutputFiles();
    QString headerFilePath() const;
    QString sourceFilePath() const;

    QString getStateMachineName() const { return stateMachineName; }
    QString getHeaderFileName() const { return headerFileName; }
    QString getSourceFileName() const { return sourceFileName; }
    QString getStateTypeName() const { return stateTypeName; }
    QString getStateVariableName() const { return stateVariableName; }
    QString getEnumString() const { return enumString; }
    QString getGlobalVariablesString() const { return globalVariablesString; }
    QString getUserIncludesString() const { return userIncludesString; }
    QString getUserMacrosString() const { return userMacrosString; }
    QString getUserCodeString() const { return userCodeString; }
    QString getMainFunctionString() const { return mainFunctionString; }
    QString getState0CodeString() const { return state0CodeString; }
    QVector<QString> getEnumNames() const { return enumNames; }
    int getNumberOfInputVariables() const { return numberOfInputVariables; }
    int getNumberOfOutputVariables() const { return numberOfOutputVariables; }
    QVector<QString> getErrorList() const { return errorList; }
    void clearErrorList() { errorList.clear(); }
    QVector<QString> getWriteErrors() const { return writeErrors; }

    // Where the text of the files comes from, so that a compiler's message
    // can be traced back to the diagram: each stretch of a file as the
    // offset of its first character, with the element that wrote it (0 for
    // what no element wrote), in order. Recorded while tracing is on, by
    // headerFileText() and sourceFilePieces().
    using Origin = QPair<int, ElementId>;
    void setTracing(bool on) { tracing = on; }
    const QVector<Origin>& headerOrigins() const { return headerOriginList; }
    const QVector<Origin>& sourceOrigins() const { return sourceOriginList; }

private:
    // The empty line between the parts of a file, and what follows the
    // initial function and each state's function.
    static const QString blankLine;
    static const QString stateGap;
    // The text items of one type, one after the other from start.
    QVector<Origin> textOrigins(int start, int type) const;
    void traceSourceOrigins(int macros, int code, const QStringList& pieces);
    QString fileHeader(const QString& fileName) const;
    QString initialPseudoStateEnumerator() const;
    QString upperMachineName() const;
    // Position of the state among the machine's states, or -1.
    int positionOf(ElementId state) const;
    void indexStatePositions();
    // The code of one state's function, with where its stretches come from
    // when origins is given.
    QString stateCode(const StateElement& state, QVector<Origin>* origins) const;
    // The states' functions into stateCodeVector, after sourceHead().
    void makeStateCode();
    // The source up to the states' functions, with the offsets of the
    // defines and the user code.
    QStringList sourceHead(int* macros, int* code);
    // The states' functions of the source, each with the gap after it, to
    // put as each is made; after sourceHead().
    void streamStates(const FileSet::Put& put) const;
    using TextSource = FileSet::TextSource;
    static TextSource piecesOf(const QStringList& pieces);
    // Each file's text, written as its source gives it.
    bool writeFiles(const QVector<QString>& paths, const QVector<TextSource>& texts);
    bool resolveTarget(const QString& path, QString* target);
    bool outputFolderUsable();
    const Diagram::States& states() const;
    const Diagram::Transitions& transitions() const;
    const QVector<TextElement>& texts() const;
    const QVector<MemoryElement>& memories() const;
    QString textItemsOfType(int type) const;

    QString filePath;
    QString projectName;
    QString author;
    QString organization;
    // A first run without a stored version starts at 1.0.
    double versionNo = 1.0;
    const ProjectNode* machine = nullptr;
    QString fileHeaderString;
    QString stateMachineName;
    QString headerFileName;
    QString sourceFileName;
    QString enumString;
    QString stateTypeName;
    QString globalVariablesString;
    QString userIncludesString;
    QString defaultIncludesString;
    QString userMacrosString;
    QString userCodeString;
    QString headerGuardBegin;
    QString headerGuardEnd;
    int numberOfInputVariables = 0;
    int numberOfOutputVariables = 0;
    QString mainFunctionString;
    QString stateVariableName;
    QString sourceHeadersString;
    QVector<QString> stateCodeVector;
    QVector<QString> enumNames;
    QVector<QString> globalFunctionsDeclarations;
    QVector<QString> globalFunctionsDefinitions;
    QString globalFunctionsDefinitionsString;
    QString state0CodeString;
    QVector<QString> errorList;

    // The places of states and transitions by id, so that finding a
    // transition's target stays cheap for ten thousand states.
    IdIndex statePlaces;
    IdIndex transitionPlaces;
    QVector<QString> writeErrors;
    QVector<DesignLinter::Finding> projectDesignErrors;
    bool refusedForDesign = false;
    bool tracing = false;
    QVector<Origin> headerOriginList;
    QVector<Origin> sourceOriginList;
    QVector<QVector<Origin>> stateCodeOrigins;
};

#endif // CODEGENERATOR_H
