#include "datastore/Helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ogx {

namespace {
bool isTrimmable(QChar c) { return c.unicode() <= 0x20; }
} // namespace

QString CleanText(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isTrimmable(text.at(b)))
        ++b;
    while (e > b && isTrimmable(text.at(e - 1)))
        --e;
    QString out;
    out.reserve(e - b);
    for (qsizetype i = b; i < e; ++i) {
        const QChar c = text.at(i);
        if (c == u' ' && !out.isEmpty() && out.back() == u' ')
            continue;
        out += c;
    }
    out.remove(u'"');
    return out;
}

QString JoinConditions(const QString &text)
{
    QString t = text.trimmed();
    return t.replace(QStringLiteral(")("), QStringLiteral(") AND ("));
}

QString ReplaceAll(const QString &text, const QString &search, const QString &replacement)
{
    if (search.isEmpty())
        return text;
    QString out = text;
    if (replacement.contains(search))
        return out.replace(search, replacement);
    qsizetype at;
    while ((at = out.indexOf(search)) >= 0)
        out.replace(at, search.size(), replacement);
    return out;
}

qint64 RoundInt(double value)
{
    return static_cast<qint64>(value + 0.5); // the cast drops the fraction toward zero
}

bool IsFileInUse(const QString &path)
{
    const QFileInfo fi(path);
    const QDir dir = fi.absoluteDir();
    return dir.exists(QStringLiteral(".~lock.") + fi.fileName() + u'#')
        || dir.exists(QStringLiteral("~$") + fi.fileName());
}

bool DeletePath(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return true;
    if (fi.isDir() && !fi.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

QString MakeTempName(const Workspace &ws, const QString &prefix, const QString &extension)
{
    for (int n = 0; n <= 999; ++n) {
        const QString candidate = ws.programDir + u'/' + prefix + QString::number(n) + extension;
        const QFileInfo fi(candidate);
        if (!fi.exists() && !fi.isSymLink())
            return candidate;
        if (!fi.isDir() && !IsFileInUse(candidate) && QFile::remove(candidate))
            return candidate;
    }
    return {};
}

QString MakeTempDir(const Workspace &ws, const QString &prefix)
{
    for (int n = 0; n <= 99; ++n) {
        const QString candidate = ws.tempDir + u'/' + prefix + QString::number(n);
        if (QFileInfo::exists(candidate) && !DeletePath(candidate))
            continue;
        if (QDir().mkpath(candidate) && QFileInfo(candidate).isDir())
            return candidate;
        return {};
    }
    return {};
}

bool MoveFileByCopy(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    char buffer[1000];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0 || (got > 0 && out.write(buffer, got) != got)) {
            out.close();
            out.remove();
            return false;
        }
        if (got == 0)
            break;
    }
    in.close();
    if (!out.flush()) {
        out.close();
        out.remove();
        return false;
    }
    out.close();
    return QFile::remove(source);
}

} // namespace ogx
