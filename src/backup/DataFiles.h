#pragma once
// Which files of a Data directory make up the data: listing and classification.

#include <QString>
#include <QStringList>

namespace ogx {

// Every existing regular file directly inside `directory` (no recursion, no symbolic
// links, no subdirectories) whose size is not zero, as "<directory>/<name>", sorted by
// name. Empty when there is none (or the directory cannot be read).
QStringList ListDataFiles(const QString &directory);

// The storage engine's own files of a Data directory: the lock/control file and the
// rollback journal. They describe the live directory only and never travel in a backup.
bool IsEngineFile(const QString &fileName);
// A dBase index file (".mdx"); backups never hold index files, their tables open without.
bool IsIndexFile(const QString &fileName);
// A dBase table (".dbf", any case).
bool IsTableFile(const QString &fileName);

// ListDataFiles without the engine's files and the index files: what a backup holds.
QStringList ListArchivableFiles(const QString &directory);

} // namespace ogx
