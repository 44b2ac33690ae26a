#pragma once
// One INI file in code page 1250: case-insensitive sections and keys, values trimmed of
// surrounding blanks, the order of lines and every line we do not understand kept as it
// was. Reads need no lock (writes replace the file by rename); writes hold an exclusive
// lock on `lockPath` (dbf::LockFile::kSettings) and replace the file atomically.

#include <QString>
#include <functional>
#include <optional>

namespace ogx {

class IniFile {
public:
    IniFile(QString path, QString lockPath) : m_path(std::move(path)), m_lockPath(std::move(lockPath)) {}

    const QString &path() const { return m_path; }
    const QString &lockPath() const { return m_lockPath; }

    // The value, or nullopt when the key (or the file) is absent.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Writes one value; throws ogx::Error when the file cannot be written.
    void setValue(const QString &section, const QString &key, const QString &value) const;
    // Read-modify-write under the lock: `change` gets the current value (nullopt when
    // absent) and returns the value to write. Returns what was written.
    QString update(const QString &section, const QString &key,
                   const std::function<QString(const std::optional<QString> &)> &change) const;

private:
    QString m_path;
    QString m_lockPath;
};

} // namespace ogx
