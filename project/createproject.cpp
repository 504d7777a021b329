#include "createproject.h"

#include <QFile>

#include "safesavefile.h"
#include "treemodel.h"

CreateProject* CreateProject::instance = nullptr;

namespace {
const QString projectExtension = QStringLiteral(".vorn");
} // namespace

// The library is static, so its resources come in only when asked for.
static void loadDefaultProjectResource()
{
    static bool loaded = false;
    if (!loaded)
        Q_INIT_RESOURCE(defaultproject);
    loaded = true;
}

CreateProject::CreateProject(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Create Project"));
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
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString name = fileName.left(fileName.size() - projectExtension.size());
    if (!validateProjectName(name))
        return 2;

    projectName = name;
    // The open project keeps its browser when the file cannot be written.
    if (!writeDefaultProjFile(projectFilePath))
        return 3;
    if (projmodel && projmodel->rowCount() > 0)
        projmodel->removeRows(0, projmodel->rowCount());
    return 1;
}

bool CreateProject::writeDefaultProjFile(const QString& path)
{
    const QByteArray content = defaultProject(projectName);
    SafeSaveFile file(path);
    if (!content.isEmpty() && file.open() && file.device()->write(content) == content.size() && file.commit())
        return true;
    lastWriteError = file.errorString().isEmpty() ? SafeSaveFile::describeWriteFailure(path) : file.errorString();
    return false;
}

QByteArray CreateProject::defaultProject(const QString& name)
{
    // The default project is a file of its own with the project's name left
    // open; a name is letters, digits and underscores only, so it needs no
    // escaping.
    loadDefaultProjectResource();
    QFile model(QStringLiteral(":/project/defaultproject.vorn.in"));
    if (!model.open(QIODevice::ReadOnly))
        return QByteArray();
    QString text = QString::fromUtf8(model.readAll()).arg(name);
    // The browser outline's lines end in CR LF, which a text file in the
    // source tree would not keep.
    const QLatin1String start("<ProjectFiles>");
    const int from = text.indexOf(start) + start.size();
    const int length = text.indexOf(QLatin1String("</ProjectFiles>")) - from;
    text.replace(from, length, text.mid(from, length).replace(QLatin1Char('\n'), QLatin1String("\r\n")));
    return text.toUtf8();
}
