#include "session/SessionRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ogx {

bool DecideBackupOnClose(Prompter &prompter, const Workspace &ws, bool contracteShown,
                         const AdminSettings &admin)
{
    if (ws.backupMode() && contracteShown
        && prompter.Mesaj(QStringLiteral("Salvare modificari"), QStringLiteral("\rDoriti sa salvati modificarile ?"),
                          Confirmation, ButtonYes | ButtonNo)
            == ResultYes)
        return true;
    if (contracteShown && !ws.networkMode() && admin.backupFolder.trimmed() != QStringLiteral("-")
        && prompter.Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("\rDoriti sa facem o copie la datele de azi?"),
                          Confirmation, ButtonYes | ButtonNo)
            == ResultYes)
        return true;
    return false;
}

void DeleteHelpLeftovers(const QString &programDir)
{
    const QDir dir(programDir);
    QFile::remove(dir.filePath(QStringLiteral("Manual.pdf")));
    for (int n = 1; n <= 7; ++n)
        QFile::remove(dir.filePath(QStringLiteral("Pop%1.pdf").arg(n)));
}

QString WithoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\')))
        folder.chop(1);
    return folder;
}

namespace {
bool samePath(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    return QDir::cleanPath(QDir(a).absolutePath()).compare(QDir::cleanPath(QDir(b).absolutePath()), Qt::CaseInsensitive) == 0;
}
} // namespace

ServerFolderCheck CheckServerFolder(const Workspace &ws, const QString &folder)
{
    if (samePath(folder, ws.dataDir) || samePath(folder, ws.localDataDir))
        return ServerFolderCheck::Local;
    const QDir dir(folder);
    for (const char *table : {"Contract.dbf", "Parcele.dbf", "Plati2.dbf"})
        if (!QFileInfo::exists(dir.filePath(QLatin1String(table))))
            return ServerFolderCheck::Incomplete;
    return ServerFolderCheck::Complete;
}

bool CanWriteFolder(const QString &folder)
{
    QFile test(QDir(folder).filePath(QStringLiteral("test.txt")));
    if (!test.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    test.close();
    test.remove();
    return true;
}

} // namespace ogx
