#include "backup/DataFiles.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace ogx {

QStringList ListDataFiles(const QString &directory)
{
    QStringList out;
    const QDir dir(directory);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &fi : entries) {
        if (fi.isSymLink() || !fi.isFile() || fi.size() <= 0)
            continue;
        out.append(directory + u'/' + fi.fileName());
    }
    // QDir's name sort follows the locale; an archive must not depend on it.
    std::sort(out.begin(), out.end());
    return out;
}

bool IsEngineFile(const QString &fileName)
{
    return fileName.compare(QLatin1String("Ogorix.lck"), Qt::CaseInsensitive) == 0
        || fileName.compare(QLatin1String("Ogorix.jnl"), Qt::CaseInsensitive) == 0;
}

bool IsIndexFile(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".mdx"), Qt::CaseInsensitive);
}

bool IsTableFile(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".dbf"), Qt::CaseInsensitive);
}

QStringList ListArchivableFiles(const QString &directory)
{
    QStringList out = ListDataFiles(directory);
    out.removeIf([](const QString &path) {
        const QString name = QFileInfo(path).fileName();
        return IsEngineFile(name) || IsIndexFile(name);
    });
    return out;
}

} // namespace ogx
