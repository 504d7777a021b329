#include "createproject.h"

#include "safesavefile.h"
#include "treemodel.h"

CreateProject* CreateProject::instance = nullptr;

namespace {
const QString projectExtension = QStringLiteral(".vorn");
const QString rectangle300x250 = QStringLiteral("0,0,300,0,300,250,0,250,0,0");
} // namespace

CreateProject::CreateProject(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Create Project"));
    levelLabels[1] = QStringLiteral("Hardware Module");
    levelLabels[2] = QStringLiteral("Microcontroller");
    levelLabels[3] = QStringLiteral("Software Module");
    levelLabels[4] = QStringLiteral("StateMachine_1");
}

CreateProject::~CreateProject()
{
    // The parent may take the instance down with it; the next call makes a new one.
    if (instance == this)
        instance = nullptr;
}

CreateProject* CreateProject::getInstance(QWidget* parent)
{
    if (!instance)
        instance = new CreateProject(parent);
    return instance;
}

bool CreateProject::validateProjectName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool allowed = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z')
            || (u >= 'a' && u <= 'z') || u == '_';
        if (!allowed)
            return false;
    }
    return true;
}

int CreateProject::processNewProject(QString path)
{
    // The name rule strips the extension, so a name typed without it gets it first.
    if (!path.endsWith(projectExtension))
        path += projectExtension;
    projectFilePath = path;
    fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString name = fileName.left(fileName.size() - projectExtension.size());
    if (!validateProjectName(name))
        return 2;

    projectName = name;
    levelLabels[0] = projectName;
    // The open project keeps its browser when the file cannot be written.
    if (!writeDefaultProjFile(projectFilePath))
        return 3;
    if (projmodel && projmodel->rowCount() > 0)
        projmodel->removeRows(0, projmodel->rowCount());
    return 1;
}

bool CreateProject::writeDefaultProjFile(const QString& path)
{
    SafeSaveFile file(path);
    if (!file.open()) {
        lastWriteError = file.errorString();
        return false;
    }

    writer.setDevice(file.device());
    writer.setAutoFormatting(true);
    writer.writeStartDocument();

    const QString crlf = QStringLiteral("\r\n");
    QString tree = crlf;
    for (int level = 0; level < 5; ++level)
        tree += QString(level * 4, QLatin1Char(' ')) + levelLabels[level] + crlf;

    writer.writeStartElement(QStringLiteral("VornProject"));
    writer.writeTextElement(QStringLiteral("ProjectFiles"), tree);
    writer.writeStartElement(QStringLiteral("SceneData"));
    writer.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
    writer.writeStartElement(QStringLiteral("GraphicsItemList"));
    for (int level = 1; level <= 5; ++level)
        writeDefaultProcess(level);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndElement();

    const bool written = !writer.hasError();
    writer.setDevice(nullptr);
    if (written && file.commit())
        return true;
    lastWriteError = file.errorString().isEmpty() ? SafeSaveFile::describeWriteFailure(path) : file.errorString();
    return false;
}

void CreateProject::writeDefaultProcess(int level)
{
    if (level < 1 || level > 5)
        return;
    const QString label = level == 1 ? fileName.section(QLatin1Char('.'), 0, 0) : levelLabels[level - 1];
    writer.writeStartElement(QStringLiteral("Process"));
    writer.writeAttribute(QStringLiteral("level"), QString::number(level));
    writer.writeAttribute(QStringLiteral("Nos"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("id"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("label"), label);
    writer.writeAttribute(QStringLiteral("parentId"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("grandParentId"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("xCoord"), QStringLiteral("300"));
    writer.writeAttribute(QStringLiteral("yCoord"), QStringLiteral("300"));
    writer.writeAttribute(QStringLiteral("width"), QStringLiteral("300"));
    writer.writeAttribute(QStringLiteral("height"), QStringLiteral("250"));
    writer.writeAttribute(QStringLiteral("shape"), QStringLiteral("1"));
    writer.writeAttribute(QStringLiteral("code"), QString());
    writer.writeAttribute(QStringLiteral("description"), QString());
    writer.writeAttribute(QStringLiteral("backgroundColour"),
                          level == 5 ? QStringLiteral("#FC0127") : QStringLiteral("#FEC309"));
    writer.writeAttribute(QStringLiteral("polygon"),
                          level == 3 ? QStringLiteral("0,0,500,0,500,500,0,500,0,0") : rectangle300x250);
    if (level == 5)
        writeDefaultStateMachineDesign();
    writer.writeEndElement();
}

void CreateProject::writeDefaultStateMachineDesign()
{
    writer.writeStartElement(QStringLiteral("StateItems"));
    writer.writeAttribute(QStringLiteral("number"), QStringLiteral("2"));
    writeStateItem(true);
    writeStateItem(false);
    writer.writeEndElement();
    writer.writeStartElement(QStringLiteral("TransitionItems"));
    writer.writeAttribute(QStringLiteral("number"), QStringLiteral("1"));
    writeTransitionItem();
    writer.writeEndElement();
}

void CreateProject::writeStateItem(bool initial)
{
    writer.writeStartElement(QStringLiteral("StateItem"));
    writer.writeTextElement(QStringLiteral("level"), QStringLiteral("6"));
    writer.writeTextElement(QStringLiteral("parentId"), QStringLiteral("1"));
    writer.writeTextElement(QStringLiteral("grandParentId"), QStringLiteral("1"));
    writer.writeTextElement(QStringLiteral("label"),
                            initial ? QStringLiteral("InitialState") : QStringLiteral("SecondaryState"));
    writer.writeTextElement(QStringLiteral("ifInitialState"), initial ? QStringLiteral("1") : QStringLiteral("0"));
    writer.writeTextElement(QStringLiteral("initialCondition"), QString());
    writer.writeTextElement(QStringLiteral("initialDescription"), QString());
    writer.writeTextElement(QStringLiteral("xCoord"), initial ? QStringLiteral("200") : QStringLiteral("1000"));
    writer.writeTextElement(QStringLiteral("yCoord"), QStringLiteral("400"));
    writer.writeTextElement(QStringLiteral("width"), QStringLiteral("280"));
    writer.writeTextElement(QStringLiteral("height"), QStringLiteral("150"));
    writer.writeTextElement(QStringLiteral("backgroundColour"), QStringLiteral("#e5e7e9"));
    writer.writeTextElement(QStringLiteral("polygon"), QStringLiteral("0,0,280,0,280,150,0,150,0,0"));
    writer.writeTextElement(QStringLiteral("action"), QString());
    writer.writeTextElement(QStringLiteral("description"), QString());
    writer.writeTextElement(QStringLiteral("numberOfTI"), QStringLiteral("1"));
    writer.writeTextElement(QStringLiteral("transitions"), QStringLiteral("DefaultTransition"));
    writer.writeEndElement();
}

void CreateProject::writeTransitionItem()
{
    writer.writeStartElement(QStringLiteral("TransitionItem"));
    writer.writeTextElement(QStringLiteral("level"), QStringLiteral("6"));
    writer.writeTextElement(QStringLiteral("parentId"), QStringLiteral("1"));
    writer.writeTextElement(QStringLiteral("grandParentId"), QStringLiteral("1"));
    writer.writeTextElement(QStringLiteral("label"), QStringLiteral("DefaultTransition"));
    writer.writeTextElement(QStringLiteral("condition"), QString());
    writer.writeTextElement(QStringLiteral("backgroundColour"), QStringLiteral("#e5e7e9"));
    writer.writeTextElement(QStringLiteral("xCoord"), QStringLiteral("650"));
    writer.writeTextElement(QStringLiteral("yCoord"), QStringLiteral("650"));
    writer.writeTextElement(QStringLiteral("midPos"), QString());
    // Wide enough for its label: a box of the usual 150 cut it off.
    writer.writeTextElement(QStringLiteral("width"), QStringLiteral("200"));
    writer.writeTextElement(QStringLiteral("height"), QStringLiteral("75"));
    writer.writeTextElement(QStringLiteral("polygon"), QStringLiteral("0,0,200,0,200,75,0,75,0,0"));
    writer.writeTextElement(QStringLiteral("startItem"), QStringLiteral("InitialState"));
    writer.writeTextElement(QStringLiteral("endItem"), QStringLiteral("SecondaryState"));
    writer.writeTextElement(QStringLiteral("description"), QString());
    writer.writeTextElement(QStringLiteral("action"), QString());
    writer.writeEndElement();
}
