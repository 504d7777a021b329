#include "codegenerator.h"

#include <QDate>
#include <QDateTime>

#include "projectnode.h"

const QString CodeGenerator::blankLine = QStringLiteral("\n \n");
const QString CodeGenerator::stateGap = QStringLiteral("\n\n");

namespace {

QString blanksToUnderscores(QString text)
{
    return text.replace(QLatin1Char(' '), QLatin1Char('_'));
}

// The last second of the year 9999, the last date the header can show.
const qint64 latestSourceDate = Q_INT64_C(253402300799);

// A Unix time in the reproducible-builds form: decimal digits only, and a
// date the header can show.
bool readSourceDateEpoch(qint64* seconds)
{
    const QByteArray value = qgetenv("SOURCE_DATE_EPOCH");
    if (value.isEmpty())
        return false;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
    }
    bool ok = false;
    *seconds = value.toLongLong(&ok);
    return ok && *seconds <= latestSourceDate;
}

// Whether the text is one expression in parentheses: its first "(" closes
// at its end. Strings and character constants may hold parentheses.
bool isParenthesized(const QString& text)
{
    const QString code = text.trimmed();
    if (!code.startsWith(QLatin1Char('(')))
        return false;
    int depth = 0;
    QChar quote;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (!quote.isNull()) {
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')') && --depth == 0) {
            // A comment may follow the expression.
            const QString rest = code.mid(i + 1).trimmed();
            return rest.isEmpty() || rest.startsWith(QLatin1String("//"))
                || (rest.startsWith(QLatin1String("/*")) && rest.endsWith(QLatin1String("*/")));
        }
    }
    return false;
}

// What follows "if": a transition without a guard is always taken ("if"
// alone would not compile), and a guard typed without its parentheses
// ("door_cmd == 1") gets them; one that has them is written as typed.
// Appended in place: a large machine has hundreds of thousands of guards.
void appendGuard(QString& code, const QString& condition)
{
    const QString trimmed = condition.trimmed();
    if (trimmed.isEmpty()) {
        code += QLatin1String("(1)");
    } else if (isParenthesized(condition)) {
        code += condition;
    } else {
        code += QLatin1Char('(');
        code += trimmed;
        // A line comment in the guard must not swallow the closing parenthesis.
        code += condition.contains(QLatin1String("//")) ? QLatin1String("\n\t)") : QLatin1String(")");
    }
}

QString guardText(const QString& condition)
{
    QString text;
    appendGuard(text, condition);
    return text;
}

// The text with each line after the first indented as the code around it.
void appendIndented(QString& code, const QString& text, QLatin1String lineBreak)
{
    if (text.contains(QLatin1Char('\n')))
        code += QString(text).replace(QLatin1Char('\n'), lineBreak);
    else
        code += text;
}

// Fills %1 to %99 of a template in one pass, so that a marker inside a value
// stays as the user typed it.
QString substitute(const QString& pattern, const QStringList& values)
{
    QString text;
    text.reserve(pattern.size() + 256);
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        int digits = 0;
        int number = 0;
        while (c == QLatin1Char('%') && digits < 2 && i + 1 + digits < pattern.size()
               && pattern.at(i + 1 + digits).isDigit()) {
            number = number * 10 + pattern.at(i + 1 + digits).digitValue();
            ++digits;
        }
        if (digits > 0 && number >= 1 && number <= values.size()) {
            text += values.at(number - 1);
            i += digits;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

CodeGenerator::CodeGenerator()
{
    globalFunctionsDeclarations.resize(3);
    globalFunctionsDefinitions.resize(3);
}

void CodeGenerator::setFilePath(const QString& path)
{
    filePath = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}

void CodeGenerator::setMachine(const ProjectNode* node)
{
    machine = node;
    stateMachineName = node ? blanksToUnderscores(node->process.label) : QString();
}

void CodeGenerator::setNumberOfInputOutputVariables()
{
    numberOfInputVariables = 0;
    numberOfOutputVariables = 0;
    if (!machine || !machine->parent())
        return;
    // The module's dataflows to and from the machine's process.
    for (const DataflowElement& dataflow : machine->parent()->diagram.dataflows) {
        if (dataflow.process != machine->id())
            continue;
        if (dataflow.lineType == 1)
            ++numberOfOutputVariables;
        else if (dataflow.lineType == 2)
            ++numberOfInputVariables;
    }
}

void CodeGenerator::generateHeaderFileName()
{
    headerFileName = stateMachineName + QStringLiteral(".h");
}

void CodeGenerator::generateSourceFileName()
{
    sourceFileName = stateMachineName + QStringLiteral(".c");
}

QString CodeGenerator::getCurrentDateTime()
{
    // A fixed instant makes the generated files reproducible byte for byte.
    qint64 seconds = 0;
    if (readSourceDateEpoch(&seconds))
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).date().toString(Qt::TextDate);
    return QDate::currentDate().toString(Qt::TextDate);
}

QString CodeGenerator::sourceDateEpochProblem()
{
    const QByteArray value = qgetenv("SOURCE_DATE_EPOCH");
    qint64 seconds = 0;
    if (value.isEmpty() || readSourceDateEpoch(&seconds))
        return QString();
    return QStringLiteral("SOURCE_DATE_EPOCH must be a whole number of seconds from 0 to %1, not \"%2\"")
        .arg(QString::number(latestSourceDate), QString::fromLocal8Bit(value));
}

QString CodeGenerator::commentText(const QString& text)
{
    QString safe;
    safe.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        safe += text.at(i);
        if (i + 1 < text.size()) {
            const QChar c = text.at(i);
            const QChar next = text.at(i + 1);
            if ((c == QLatin1Char('*') && next == QLatin1Char('/'))
                || (c == QLatin1Char('/') && next == QLatin1Char('*')))
                safe += QLatin1Char('\\');
        }
    }
    return safe;
}

// ---- Reading the machine -------------------------------------------------

const Diagram::States& CodeGenerator::states() const
{
    static const Diagram::States none;
    return machine ? machine->diagram.states : none;
}

const Diagram::Transitions& CodeGenerator::transitions() const
{
    static const Diagram::Transitions none;
    return machine ? machine->diagram.transitions : none;
}

const QVector<TextElement>& CodeGenerator::texts() const
{
    static const QVector<TextElement> none;
    return machine ? machine->diagram.texts : none;
}

const QVector<MemoryElement>& CodeGenerator::memories() const
{
    static const QVector<MemoryElement> none;
    return machine ? machine->diagram.memories : none;
}

void CodeGenerator::indexStatePositions()
{
    statePlaces = IdIndex::of<StateElement>(states());
    transitionPlaces = IdIndex::of<TransitionElement>(transitions());
}

int CodeGenerator::positionOf(ElementId state) const
{
    return statePlaces.place(state);
}

QString CodeGenerator::upperMachineName() const
{
    return stateMachineName.toUpper();
}

QString CodeGenerator::initialPseudoStateEnumerator() const
{
    return QStringLiteral("STATE_0_") + upperMachineName();
}

QString CodeGenerator::textItemsOfType(int type) const
{
    QString text;
    for (const TextElement& item : texts()) {
        if (item.type == type)
            text += item.text + QLatin1Char('\n');
    }
    return text;
}

// ---- Text pieces ---------------------------------------------------------

QString CodeGenerator::fileHeader(const QString& fileName) const
{
    const QString description = machine ? machine->process.description : QString();
    return substitute(QStringLiteral("/** \n * @file: %1 \n * @project: %2 \n * @version: %3 \n \n"
                          " * @author: %4 \n * @organization: %5 \n * @date: %6 \n"
                          " * @description: Automatic codification of state machine %7 \n"
                          " * \n * Number of States: %8\n * Number of Transitions: %9 \n"
                          " * Input variables: %10 \n * Output variables: %11 \n"
                          " * local variables : %12 \n * \n * %13 \n */"),
                      {commentText(fileName), commentText(projectName), QString::number(versionNo),
                       commentText(author), commentText(organization), getCurrentDateTime(),
                       commentText(stateMachineName), QString::number(states().size()),
                       QString::number(machine ? machine->diagram.transitions.size() : 0), QString::number(numberOfInputVariables),
                       QString::number(numberOfOutputVariables), QString::number(memories().size()),
                       commentText(description)});
}

void CodeGenerator::updateFileHeaderForHeaderString()
{
    fileHeaderString = fileHeader(headerFileName);
}

void CodeGenerator::updateFileHeaderForSourceString()
{
    fileHeaderString = fileHeader(sourceFileName);
}

void CodeGenerator::updateHeaderGuards()
{
    const QString guard = QStringLiteral("_") + upperMachineName() + QStringLiteral("_H");
    headerGuardBegin = QStringLiteral("#ifndef ") + guard + QStringLiteral("\n#define ") + guard;
    headerGuardEnd = QStringLiteral("#endif /* ") + guard + QStringLiteral(" */");
}

void CodeGenerator::updateDefaultIncludesString()
{
    defaultIncludesString = QStringLiteral("#include \"") + headerFileName + QLatin1Char('"');
}

void CodeGenerator::updateUserIncludesString()
{
    userIncludesString = textItemsOfType(TextElement::Includes);
}

void CodeGenerator::updateUserMacrosString()
{
    userMacrosString = textItemsOfType(TextElement::Defines);
    if (!userMacrosString.isEmpty())
        userMacrosString += blankLine;
}

void CodeGenerator::updateUserCodeString()
{
    userCodeString = textItemsOfType(TextElement::Default);
    if (!userCodeString.isEmpty())
        userCodeString += blankLine;
}

void CodeGenerator::updateEnumString()
{
    const QString prefix = QStringLiteral("STATE_") + upperMachineName() + QLatin1Char('_');
    const Diagram::States& all = states();
    enumNames.clear();
    enumNames.resize(all.size());
    for (int i = 0; i < all.size(); ++i)
        enumNames[i] = prefix + all[i]->label.toUpper();
    enumNames.append(initialPseudoStateEnumerator());
    stateTypeName = QStringLiteral("t_state_") + stateMachineName;

    enumString = QStringLiteral("typedef enum { \n \t");
    for (int i = 0; i < enumNames.size(); ++i)
        enumString += enumNames[i] + QStringLiteral(" = ") + QString::number(i) + QStringLiteral(",\n\t");
    enumString += QLatin1Char('}') + stateTypeName + QLatin1Char(';');
}

void CodeGenerator::updateGlobalVariables()
{
    globalVariablesString.clear();
    for (const MemoryElement& memory : memories()) {
        const QString label = memory.label;
        const QString datatype = memory.datatype;
        if (label.isEmpty())
            errorList.append(QStringLiteral("Label Input for Memory Item %1 is absent").arg(label));
        if (datatype.isEmpty())
            errorList.append(QStringLiteral("Datatype Input for Memory Item %1 is absent").arg(label));
        globalVariablesString += QStringLiteral("static ") + blanksToUnderscores(datatype)
            + QLatin1Char(' ') + blanksToUnderscores(label) + QStringLiteral(";\n");
    }
    stateVariableName = stateTypeName.mid(2);
    globalVariablesString += QStringLiteral("\nstatic ") + stateTypeName + QLatin1Char(' ')
        + stateVariableName + QStringLiteral(" = ") + initialPseudoStateEnumerator()
        + QStringLiteral(";\n\n");
}

void CodeGenerator::updateSourceHeaders()
{
    sourceHeadersString = QStringLiteral("static void ") + stateMachineName + QStringLiteral("0(void);\n");
    for (const StateElement& state : states())
        sourceHeadersString += QStringLiteral("static void ") + state.label + QStringLiteral("(void);\n");
    sourceHeadersString += QStringLiteral("\n\n");
}

void CodeGenerator::updateGlobalFunctionsDeclarations()
{
    const QString commented = QStringLiteral("/** \n * @function description  %1 \n */ \n %2");
    const QString n = stateMachineName;
    globalFunctionsDeclarations.clear();
    globalFunctionsDeclarations.append(commented.arg(
        QStringLiteral("States diagram initialization %1").arg(n),
        QStringLiteral("void ") + n + QStringLiteral("Initialize(void);")));
    globalFunctionsDeclarations.append(commented.arg(
        QStringLiteral("Main routine of the states diagram %1 \n Calls theCorresponding function state.").arg(n),
        QStringLiteral("void ") + n + QStringLiteral("(void);")));
    globalFunctionsDeclarations.append(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2")
            .arg(QStringLiteral("Function that returns the current state of the FSM %1").arg(n),
                 stateTypeName + QLatin1Char(' ') + n + QStringLiteral("GetState(void);")));
}

void CodeGenerator::updateMainFunctionString()
{
    const QString e0 = initialPseudoStateEnumerator();
    mainFunctionString = QStringLiteral("\n\t\tcase ") + e0 + QStringLiteral(": \n\t\t\t")
        + stateMachineName + QStringLiteral("0();\n\t\t\tbreak;\n");
    const Diagram::States& all = states();
    for (int i = 0; i < all.size(); ++i) {
        mainFunctionString += QStringLiteral("\n\t\tcase ") + enumNames.value(i)
            + QStringLiteral(":\n\t\t\t") + all[i]->label
            + QStringLiteral("(); \n\t\t\tbreak; \n");
    }
    mainFunctionString += QStringLiteral("\n\t\tdefault: \n\t\t\t") + stateVariableName
        + QStringLiteral(" = ") + e0 + QStringLiteral(";\n\t\t\tbreak;");
}

void CodeGenerator::updateGlobalFunctionsDefinitions()
{
    const QString n = stateMachineName;
    const QString e0 = initialPseudoStateEnumerator();
    updateMainFunctionString();
    globalFunctionsDefinitions.clear();
    globalFunctionsDefinitions.append(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\t \n"
                       " \t/* -- state variable initialization -- */ \n\t%3 = %4; \n"
                       " \t/* -- states machine initial cycle execution -- */ \n\t%5(); \n}")
            .arg(QStringLiteral("States diagram initialization %1").arg(n),
                 QStringLiteral("void ") + n + QStringLiteral("Initialize(void)"),
                 stateVariableName, e0, n));
    globalFunctionsDefinitions.append(
        QStringLiteral("/** \n * @function description  %1 \n */ \n%2 \n{\n\tswitch(%3){\n %4 \n\t} \n}")
            .arg(QStringLiteral("Main routine of the states diagram %1 \n   Calls theCorresponding function state.").arg(n),
                 QStringLiteral("void ") + n + QStringLiteral("(void)"),
                 stateVariableName, mainFunctionString));
    globalFunctionsDefinitions.append(
        QStringLiteral("/** \n * @function description  %1 */ \n%2 \n{ \n\treturn %3; \n}")
            .arg(QStringLiteral("Function that returns the current state of the FSM %1 \n").arg(n),
                 stateTypeName + QLatin1Char(' ') + n + QStringLiteral("GetState(void)"),
                 stateVariableName));
    globalFunctionsDefinitionsString = QStringLiteral("\n");
    for (const QString& definition : qAsConst(globalFunctionsDefinitions))
        globalFunctionsDefinitionsString += definition + blankLine;
}

void CodeGenerator::updateState0CodeString()
{
    state0CodeString = QStringLiteral("/** \n * @function description:  function corresponding to the "
                                      "initial state of %1 \n */ \nstatic void %2(void) \n{\n")
                           .arg(stateMachineName, stateMachineName + QLatin1Char('0'));

    const Diagram::States& all = states();
    int initial = -1;
    for (int i = 0; i < all.size(); ++i) {
        if (all[i]->initial) {
            initial = i;
            break;
        }
    }

    if (initial < 0) {
        errorList.append(QStringLiteral("Initial state item in state machine %1 is not assigned")
                             .arg(stateMachineName));
        state0CodeString += QStringLiteral("\t// Error : Initial state item in state machine %1 is not assigned \n")
                                .arg(stateMachineName);
    } else {
        const StateElement& state = all[initial];
        const QString condition = state.initialCondition;
        const QString action = state.initialDescription;
        const QString change = stateVariableName + QStringLiteral(" = ") + enumNames.value(initial)
            + QLatin1Char(';');
        if (!condition.isEmpty()) {
            state0CodeString += QStringLiteral("\t/* -- condition for transition to initial state -- */\n\tif")
                + guardText(condition) + QStringLiteral("\n\t{\n\t\t")
                + QString(action).replace(QLatin1Char('\n'), QStringLiteral("\n\t"))
                + QStringLiteral("\n\n\t\t") + change + QStringLiteral("\n\t}\n");
        } else {
            if (!action.isEmpty()) {
                errorList.append(QStringLiteral("Initial state action present but condition absent "
                                                "for State Item %1 is absent")
                                     .arg(state.label));
            }
            state0CodeString += QLatin1Char('\t') + change + QLatin1Char('\n');
        }
    }
    state0CodeString += QLatin1Char('}');
}

void CodeGenerator::makeStateCode()
{
    stateCodeVector.clear();
    stateCodeOrigins.clear();
    const Diagram::States& all = states();
    stateCodeVector.reserve(all.size());
    for (const StateElement& state : all) {
        QVector<Origin> origins;
        QString code = stateCode(state, tracing ? &origins : nullptr);
        if (tracing)
            stateCodeOrigins.append(origins);
        // Appending leaves room to grow, which a large machine's code would
        // hold on to until the file is written.
        code.squeeze();
        stateCodeVector.append(code);
    }
}

QString CodeGenerator::stateCode(const StateElement& state, QVector<Origin>* origins) const
{
    if (origins)
        origins->append({0, state.id});
    QString code = QStringLiteral("/** \n * @function description  %1 \n */ \nstatic void %2(void) \n{")
                       .arg(commentText(state.description), state.label);
    code += QLatin1String("\n\n\t /* -- code of the current state -- */ \n\t");
    appendIndented(code, state.action, QLatin1String("\n\t"));
    code += QLatin1Char('\n');
    // A state lists the transitions to other states only: self transitions
    // give no branch.
    bool first = true;
    for (ElementId id : state.transitions) {
        const TransitionElement* transition = transitionPlaces.find<TransitionElement>(transitions(), id);
        if (!transition || transition->startState != state.id)
            continue;
        if (origins)
            origins->append({code.size(), transition->id});
        code += QLatin1String("\n\t/* -- case where transition is executed ");
        code += commentText(transition->label);
        code += first ? QLatin1String(" -- */\n\tif ") : QLatin1String(" -- */\n\telse if ");
        appendGuard(code, transition->condition);
        code += QLatin1String("\n\t{\n\t\t");
        appendIndented(code, transition->action, QLatin1String("\n\t\t"));
        code += QLatin1String("\n\t\t/* -- state is changed -- */ \n\t\t");
        code += stateVariableName;
        code += QLatin1String(" = ");
        code += enumNames.value(positionOf(transition->endState));
        code += QLatin1String(";\n\t}\n");
        first = false;
    }
    if (origins)
        origins->append({code.size(), state.id});
    code += QLatin1String("\n}");
    return code;
}
