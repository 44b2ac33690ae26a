#include "datastore/IniFile.h"

#include "datastore/Error.h"
#include "datastore/TextCodec.h"
#include "dbf/LockFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace ogx {
namespace {

// The file as lines (without their line ends) and the line end it uses.
struct Lines {
    QStringList lines;
    QString eol = QStringLiteral("\r\n");
    bool finalEol = true;
};

Lines load(const QString &path)
{
    Lines l;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return l; // absent or unreadable: every key absent
    const QString text = fromCp1250(f.readAll());
    if (text.isEmpty())
        return l;
    const qsizetype firstLf = text.indexOf(u'\n');
    if (firstLf >= 0 && (firstLf == 0 || text.at(firstLf - 1) != u'\r'))
        l.eol = QStringLiteral("\n");
    l.lines = text.split(u'\n');
    l.finalEol = text.endsWith(u'\n');
    if (l.finalEol)
        l.lines.removeLast();
    for (QString &line : l.lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return l;
}

// Section name of a "[name]" line, or a null string for any other line.
QString sectionOf(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return {};
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

// Splits a "key=value" line; false for lines without "=" (comments, junk).
bool splitKey(const QString &line, QString &key, QString &value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || line.trimmed().startsWith(u';'))
        return false;
    key = line.left(eq).trimmed();
    value = line.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

struct Position {
    qsizetype sectionLine = -1; // line of "[section]"
    qsizetype keyLine = -1;     // line of "key=value"
    qsizetype lastLine = -1;    // last non-blank line of the section
};

Position find(const QStringList &lines, const QString &section, const QString &key)
{
    Position p;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionOf(lines[i]);
        if (!name.isNull()) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            if (inSection)
                p.sectionLine = p.lastLine = i;
            continue;
        }
        if (!inSection)
            continue;
        if (!lines[i].trimmed().isEmpty())
            p.lastLine = i;
        QString k, v;
        if (p.keyLine < 0 && splitKey(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0)
            p.keyLine = i;
    }
    return p;
}

void save(const QString &path, const Lines &l)
{
    QString text = l.lines.join(l.eol);
    if (!l.lines.isEmpty() && l.finalEol)
        text += l.eol;
    const QByteArray bytes = toCp1250(text, path);
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Fisierul de setari %1 nu poate fi scris: %2").arg(path, f.errorString()));
    if (f.write(bytes) != bytes.size() || !f.commit())
        throw Error(QStringLiteral("Fisierul de setari %1 nu poate fi scris: %2").arg(path, f.errorString()));
}

} // namespace

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const Lines l = load(m_path);
    const Position p = find(l.lines, section, key);
    if (p.keyLine < 0)
        return std::nullopt;
    QString k, v;
    splitKey(l.lines[p.keyLine], k, v);
    return v;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value) const
{
    update(section, key, [&value](const std::optional<QString> &) { return value; });
}

QString IniFile::update(const QString &section, const QString &key,
                        const std::function<QString(const std::optional<QString> &)> &change) const
{
    dbf::LockFile lock;
    if (!lock.open(QFile::encodeName(m_lockPath).toStdString()))
        throw Error(QStringLiteral("Fisierul de setari %1 nu poate fi scris: %2")
                        .arg(m_path, QString::fromStdString(lock.error())));
    dbf::ScopedLock held(lock, dbf::LockFile::kSettings, dbf::LockFile::Mode::Exclusive);
    if (!held.locked())
        throw Error(QStringLiteral("Fisierul de setari %1 este blocat de alt program: %2")
                        .arg(m_path, QString::fromStdString(lock.error())));

    Lines l = load(m_path);
    const Position p = find(l.lines, section, key);
    std::optional<QString> current;
    QString existingKey = key;
    if (p.keyLine >= 0) {
        QString v;
        splitKey(l.lines[p.keyLine], existingKey, v);
        current = v;
    }
    const QString written = change(current);
    const QString line = existingKey + u'=' + written;
    if (p.keyLine >= 0) {
        l.lines[p.keyLine] = line;
    } else if (p.sectionLine >= 0) {
        l.lines.insert(p.lastLine + 1, line);
    } else {
        l.lines.append(u'[' + section + u']');
        l.lines.append(line);
        l.finalEol = true;
    }
    save(m_path, l);
    return written;
}

} // namespace ogx
