#include "app/platform/FileTypeRegistration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace ogx {
namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

void runQuietly(const QString &tool, const QStringList &args)
{
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty())
        return;
    QProcess p;
    p.start(exe, args);
    p.waitForFinished(10000);
}

} // namespace

QString userDataHome()
{
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    if (!env.isEmpty() && !QDir::isRelativePath(env))
        return env;
    return QDir::homePath() + QStringLiteral("/.local/share");
}

bool RegisterFileType(const QString &extension, const QString &executablePath, const QString &iconPath,
                      const FileTypeRegistration &where)
{
    const QString type = extension + QStringLiteral("file"); // "ogxfile"
    const QString mimeType = QStringLiteral("application/x-ogorix-") + type;
    const QString package = where.dataHome + QStringLiteral("/mime/packages/ogorix-") + extension + QStringLiteral(".xml");
    const QString desktop = where.dataHome + QStringLiteral("/applications/ogorix-") + type + QStringLiteral(".desktop");

    // Already registered: the package names our type. Leave everything as it is.
    QFile existing(package);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll().contains(mimeType.toUtf8()))
        return false;

    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" + mimeType.toUtf8() + "\">\n"
        "    <comment>Salvare Ogorix</comment>\n"
        "    <glob pattern=\"*." + extension.toUtf8() + "\" case-sensitive=\"false\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    // The desktop entry quotes the program path; %f is the archive the user opened.
    QString exec = executablePath;
    exec.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    const QByteArray entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Ogorix\n"
        "Comment=Registrul contractelor de arenda\n"
        "Exec=\"" + exec.toUtf8() + "\" %f\n"
        "Icon=" + iconPath.toUtf8() + "\n"
        "MimeType=" + mimeType.toUtf8() + ";\n"
        "NoDisplay=true\n"
        "Terminal=false\n";
    if (!writeFile(desktop, entry) || !writeFile(package, xml))
        return false;
    if (where.runDesktopTools) {
        runQuietly(QStringLiteral("update-mime-database"), {where.dataHome + QStringLiteral("/mime")});
        runQuietly(QStringLiteral("update-desktop-database"), {where.dataHome + QStringLiteral("/applications")});
    }
    return true;
}

} // namespace ogx
