#include "documents/RtfReplace.h"

#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "datastore/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace ogx {

namespace rtf {

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

QByteArray joinLines(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

namespace {
std::array<char, 256> makeUpperTable()
{
    std::array<char, 256> t{};
    for (int b = 0; b < 256; ++b) {
        t[b] = char(b);
        const QByteArray one(1, char(b));
        const QString s = fromCp1250(one);
        const QString up = s.toUpper();
        QByteArray back;
        if (up.size() == 1 && up != s && toCp1250(up, back) && back.size() == 1)
            t[b] = back.at(0);
    }
    return t;
}
} // namespace

char upperByte(char c)
{
    static const std::array<char, 256> table = makeUpperTable();
    return table[static_cast<unsigned char>(c)];
}

} // namespace rtf

namespace {

const QByteArray kPard = QByteArrayLiteral("\\pard");

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

QByteArray asciiUpper(const QByteArray &s)
{
    QByteArray u = s;
    for (char &c : u)
        c = asciiUpper(c);
    return u;
}

// Blanks and control characters off both ends.
QByteArray trimLine(const QByteArray &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s.at(b)) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s.at(e - 1)) <= ' ')
        --e;
    return s.mid(b, e - b);
}

int braceBalance(const QByteArray &line)
{
    int d = 0;
    for (char c : line) {
        if (c == '{')
            ++d;
        else if (c == '}')
            --d;
    }
    return d;
}

void appendEscapedByte(QByteArray &out, char b)
{
    if (b == char(0xAA))
        out += "\\'aa";
    else if (b == char(0xDE))
        out += "\\'de";
    else
        out += b;
}

// Upper case of a value already made safe for RTF: escapes ("\\", "\'xx", "\uN?") pass
// unchanged, since RTF control words are case-sensitive.
QByteArray upperValue(const QByteArray &v)
{
    QByteArray out;
    out.reserve(v.size());
    const qsizetype n = v.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = v.at(i);
        if (c != '\\') {
            appendEscapedByte(out, rtf::upperByte(c));
            continue;
        }
        qsizetype end = i + 1;  // one past the escape
        if (end < n) {
            const char k = v.at(end);
            if (k == '\'') {
                end = qMin(n, end + 3);
            } else if (k == 'u') {
                ++end;
                while (end < n && (v.at(end) == '-' || (v.at(end) >= '0' && v.at(end) <= '9')))
                    ++end;
                if (end < n && v.at(end) == '?')
                    ++end;
            } else {
                ++end;
            }
        }
        out += v.mid(i, end - i);
        i = end - 1;
    }
    return out;
}

QByteArray readWholeFile(const QString &path, bool *ok)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    *ok = true;
    return f.readAll();
}

[[noreturn]] void ioError(const QString &path, const QString &reason)
{
    throw Error(QStringLiteral("Eroare de intrare/iesire la fisierul %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

TRTFReplace::TRTFReplace(ShellOpener &shell) : m_shell(shell) {}

bool TRTFReplace::SetFreeDest(const QString &prefix)
{
    for (int n = 0; n <= 99; ++n) {
        const QString candidate = prefix + QString::number(n) + QStringLiteral(".rtf");
        const QFileInfo fi(candidate);
        if (!fi.exists() && !fi.isSymLink()) {
            RTFDest = candidate;
            return true;
        }
        if (!fi.isDir() && !IsFileInUse(candidate) && QFile::remove(candidate)) {
            RTFDest = candidate;
            return true;
        }
    }
    return false;
}

bool TRTFReplace::Start()
{
    if (RTFSursa.isEmpty() || !QFileInfo(RTFSursa).isFile())
        return false;
    QFile dest(RTFDest);
    if (RTFDest.isEmpty() || !dest.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    bool ok = false;
    const QByteArray source = readWholeFile(RTFSursa, &ok);
    if (!ok || source.isEmpty()) {
        dest.close();
        dest.remove();
        return false;
    }
    QByteArray header;
    for (const QByteArray &line : rtf::splitLines(source)) {
        const qsizetype at = line.indexOf(kPard);
        if (at < 0) {
            header += line + "\r\n";
            continue;
        }
        const QByteArray before = trimLine(line.left(at));
        if (!before.isEmpty())
            header += before + "\r\n";
        break;
    }
    const bool written = dest.write(header) == header.size();
    dest.close();
    ClearPairs();
    return written;
}

QByteArray TRTFReplace::rtfSafeValue(const QString &value)
{
    QByteArray out;
    out.reserve(value.size());
    const qsizetype n = value.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = value.at(i);
        if (c == u'{') {
            out += '(';
        } else if (c == u'}') {
            out += ')';
        } else if (c == u'\\') {
            out += "\\\\";
        } else {
            const qsizetype len = (c.isHighSurrogate() && i + 1 < n && value.at(i + 1).isLowSurrogate()) ? 2 : 1;
            QByteArray b;
            if (!c.isSurrogate() && toCp1250(QString(c), b) && b.size() == 1) {
                appendEscapedByte(out, b.at(0));
            } else {
                // \uN takes a signed 16-bit number; a character beyond it goes as its
                // surrogate pair.
                for (qsizetype j = i; j < i + len; ++j) {
                    out += "\\u";
                    out += QByteArray::number(static_cast<qint16>(value.at(j).unicode()));
                    out += '?';
                }
            }
            i += len - 1;
        }
    }
    return out;
}

void TRTFReplace::AddPair(const QString &key, const QString &value)
{
    QByteArray k;
    if (!toCp1250(key, k))
        k = rtfSafeValue(key);
    m_keys.append(k);
    m_upperKeys.append(asciiUpper(k));
    m_values.append(rtfSafeValue(value));
}

void TRTFReplace::ClearPairs()
{
    m_keys.clear();
    m_upperKeys.clear();
    m_values.clear();
}

QByteArray TRTFReplace::ReplaceInLine(const QByteArray &input)
{
    QByteArray line = input;
    QByteArray upperLine = asciiUpper(line);
    const int count = int(m_keys.size());
    if (m_repeat >= count)  // left over from pairs that were cleared since
        m_repeat = -1;
    bool found = false;
    int n = 0;
    while (n < count) {
        qsizetype p = upperLine.indexOf(m_upperKeys.at(n));
        while (p >= 0) {
            found = true;
            if (m_repeat >= 0 && m_keys.at(m_repeat) == m_keys.at(n))
                n = m_repeat;
            QByteArray v = m_values.at(n);
            const qsizetype klen = m_keys.at(n).size();
            const QByteArray m = line.mid(p, klen);
            if (m.size() > 4 && asciiUpper(m) == m)
                v = upperValue(v);
            if (v.isEmpty())
                v = QByteArrayLiteral("..........");
            line.replace(p, klen, v);
            upperLine.replace(p, klen, asciiUpper(v));
            // Searching on after the inserted value keeps a value that holds its own key
            // from being replaced again and again.
            p = upperLine.indexOf(m_upperKeys.at(n), p + v.size());

            int i = 1;
            while (n + i < count && m_keys.at(n + i) == m_keys.at(n))
                ++i;
            if (i == 1 && m_repeat < 0)
                continue;
            if (i == 1) {
                if (m_keys.at(m_repeat) == m_keys.at(n))
                    m_repeat = -1;
            } else {
                m_repeat = n + 1;
                n = n + i - 1;
            }
        }
        ++n;
    }
    if (!found)
        m_repeat = -1;
    return line;
}

void TRTFReplace::WriteBody(int copies)
{
    bool ok = false;
    const QByteArray source = readWholeFile(RTFSursa, &ok);
    if (!ok)
        ioError(RTFSursa, QStringLiteral("sablonul nu poate fi citit"));
    if (RTFDest.isEmpty() || !QFileInfo(RTFDest).isFile())
        ioError(RTFDest, QStringLiteral("documentul nu exista"));
    QFile dest(RTFDest);
    if (!dest.open(QIODevice::WriteOnly | QIODevice::Append))
        ioError(RTFDest, dest.errorString());

    const QList<QByteArray> lines = rtf::splitLines(source);
    qsizetype first = 0;
    while (first < lines.size() && !lines.at(first).contains(kPard))
        ++first;

    QByteArray out;
    auto put = [&out](const QByteArray &l) { out += l + "\r\n"; };
    if (first < lines.size()) {
        for (int k = 1; k <= copies; ++k) {
            qsizetype at = first;
            QByteArray line = lines.at(at).mid(lines.at(at).indexOf(kPard));
            if (k > 1)
                put(QByteArrayLiteral("\\page"));
            int depth = braceBalance(line) + 1;
            while (at + 1 < lines.size() && depth != 0) {
                if (!line.isEmpty()) {
                    // A run of equal keys repeats the line once per value; a run can never
                    // be longer than the list of pairs.
                    qsizetype rounds = 0;
                    do {
                        put(ReplaceInLine(line));
                    } while (m_repeat >= 0 && ++rounds <= m_keys.size());
                    m_repeat = -1;
                }
                line = lines.at(++at);
                depth += braceBalance(line);
            }
            QByteArray last = trimLine(line);
            last.chop(1);
            if (!last.isEmpty())
                put(ReplaceInLine(last));
            m_repeat = -1;
        }
    }
    const bool written = dest.write(out) == out.size() && dest.flush();
    dest.close();
    ClearPairs();
    if (!written)
        ioError(RTFDest, dest.errorString());
}

void TRTFReplace::Finish()
{
    if (RTFDest.isEmpty() || !QFileInfo(RTFDest).isFile())
        ioError(RTFDest, QStringLiteral("documentul nu exista"));
    QFile dest(RTFDest);
    if (!dest.open(QIODevice::WriteOnly | QIODevice::Append) || dest.write("}\r\n") != 3 || !dest.flush())
        ioError(RTFDest, dest.errorString());
    dest.close();
    ClearPairs();
}

bool TRTFReplace::OpenDocument()
{
    if (RTFDest.isEmpty())
        return false;
    const QString path = QDir::fromNativeSeparators(RTFDest);
    if (!path.contains(u'/') || !QFileInfo(path).isFile())
        return false;
    return m_shell.open(RTFDest);
}

namespace {

// Position of the first "\irow<digits>" tag of a line and its digits; -1 when none
// ("\irowband" and other words beginning with "irow" are skipped).
qsizetype findRowTag(const QByteArray &line, QByteArray *digits)
{
    static const QByteArray irow = QByteArrayLiteral("\\irow");
    qsizetype at = line.indexOf(irow);
    while (at >= 0) {
        qsizetype e = at + irow.size();
        while (e < line.size() && line.at(e) >= '0' && line.at(e) <= '9')
            ++e;
        if (e > at + irow.size()) {
            *digits = line.mid(at + irow.size(), e - at - irow.size());
            return at;
        }
        at = line.indexOf(irow, at + 1);
    }
    return -1;
}

} // namespace

bool DuplicateRtfRow(const QString &file, const QString &marker, int copies)
{
    if (!QFileInfo(file).isFile())
        return false;
    bool ok = false;
    const QByteArray bytes = readWholeFile(file, &ok);
    if (!ok)
        return false;
    QList<QByteArray> lines = rtf::splitLines(bytes);
    QByteArray mark;
    if (!toCp1250(marker, mark) || mark.isEmpty())
        return false;

    qsizetype markLine = 0;
    while (markLine < lines.size() && !lines.at(markLine).contains(mark))
        ++markLine;
    if (markLine >= lines.size())
        return false;

    auto save = [&file](const QList<QByteArray> &out) {
        QFile f(file);
        const QByteArray data = rtf::joinLines(out);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() && f.flush();
    };
    if (copies < 0)
        return save(lines);

    // Row start: the nearest line at or above the marker holding "\irow<i>" (never the
    // first line, which opens the document).
    qsizetype startLine = -1;
    QByteArray rowNumber;
    for (qsizetype i = markLine; i >= 1; --i) {
        if (findRowTag(lines.at(i), &rowNumber) >= 0) {
            startLine = i;
            break;
        }
    }
    if (startLine < 0)
        return false;
    const qsizetype b = lines.at(startLine).indexOf(QByteArrayLiteral("\\irow"));

    // The next row's tag, searched from the marker line down to the second-to-last line.
    const QByteArray nextTag = QByteArrayLiteral("\\irow") + QByteArray::number(rowNumber.toLongLong() + 1);
    qsizetype endLine = -1;
    for (qsizetype i = markLine; i + 1 < lines.size(); ++i) {
        if (lines.at(i).contains(nextTag)) {
            endLine = i;
            break;
        }
    }
    if (endLine < 0)
        return false;

    // Make the block start exactly at the row's tag and end just before the next row's tag.
    lines[startLine - 1] += lines.at(startLine).left(b);
    lines[startLine].remove(0, b);
    const qsizetype e = lines.at(endLine).indexOf(nextTag);
    lines[endLine + 1].prepend(lines.at(endLine).mid(e));
    lines[endLine].truncate(e);

    const QList<QByteArray> block = lines.mid(startLine, endLine - startLine + 1);
    for (int k = copies + 1; k >= 2; --k) {
        const QByteArray number = QByteArray::number(k);
        QList<QByteArray> copy = block;
        for (QByteArray &l : copy)
            l.replace('*', number);
        for (qsizetype j = 0; j < copy.size(); ++j)
            lines.insert(endLine + 1 + j, copy.at(j));
    }
    for (qsizetype i = startLine; i <= endLine; ++i)
        lines[i].replace('*', "1");
    return save(lines);
}

} // namespace ogx
