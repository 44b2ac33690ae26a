#include "app/WorkspaceLocator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ogx {
namespace {

QString clean(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

QString xdgFolder(const char *variable, const QString &fallbackUnderHome)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + u'/' + fallbackUnderHome;
    return clean(base + QStringLiteral("/Ogorix"));
}

} // namespace

QString locateWorkspace(const QString &commandLineWorkspace, const QString &executableDir)
{
    if (!commandLineWorkspace.isEmpty())
        return clean(commandLineWorkspace);
    const QString home = qEnvironmentVariable("OGORIX_HOME");
    if (!home.isEmpty())
        return clean(home);
    if (!executableDir.isEmpty() && QFileInfo::exists(executableDir + QStringLiteral("/ogorix.portable")))
        return clean(executableDir);
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString locateMachineDir()
{
    const QString dir = qEnvironmentVariable("OGORIX_MACHINE_DIR");
    if (!dir.isEmpty())
        return clean(dir);
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

} // namespace ogx
