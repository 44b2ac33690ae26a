#pragma once
// Filling of RTF templates, line by line.
//
// The templates are 8-bit code page 1250 RTF that the operator may edit in a word
// processor. Nothing here parses RTF: a placeholder such as "[Nume1]" is found only when
// its characters stand together on one line of the file; the header ends before the
// first "\pard" and the document ends where its braces balance.
//
// A document is made in this order: set RTFSursa and RTFDest (or SetFreeDest), Start,
// AddPair for every placeholder, WriteBody, Finish, OpenDocument.

#include "datastore/ShellOpener.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace ogx {

class TRTFReplace {
public:
    explicit TRTFReplace(ShellOpener &shell);

    QString RTFSursa;  // template or prepared copy of one
    QString RTFDest;   // document to write

    // First "<prefix><n>.rtf" for n = 0..99 that is missing, or that exists and can be
    // deleted (a file another program holds open is skipped), becomes RTFDest. False,
    // RTFDest unchanged, when none of the hundred can be used.
    bool SetFreeDest(const QString &prefix);

    // Copies the header of RTFSursa (the lines before the first "\pard") into a new
    // RTFDest. False when the source is missing or empty (the new destination is then
    // removed) or when the destination cannot be created. Clears the pairs.
    bool Start();

    // Registers a placeholder (found without regard to letter case) and its value. The
    // value is made safe for RTF: braces become parentheses, a backslash is written as an
    // RTF backslash, the bytes 0xAA and 0xDE are written as "\'aa" and "\'de", and a
    // character code page 1250 lacks is written as "\uN?".
    void AddPair(const QString &key, const QString &value);

    // Appends `copies` filled copies of the body of RTFSursa to RTFDest, separated by a line
    // "\page", and clears the pairs. Throws ogx::Error when the source cannot be read or the
    // destination cannot be appended to (for example when Start did not create it).
    void WriteBody(int copies);

    // Appends the document's closing "}" line and clears the pairs. Throws ogx::Error when
    // the destination cannot be appended to.
    void Finish();

    // Hands RTFDest to the shell when it is a path with a folder part naming an existing
    // file; otherwise does nothing. True when the shell took it.
    bool OpenDocument();

    void ClearPairs();

    // One body line with every registered placeholder replaced (8-bit text). Advances the
    // repeat index through a run of equal keys; see the implementation for the rules.
    QByteArray ReplaceInLine(const QByteArray &line);

    // Index into the pairs of the next value of a run of equal keys, or -1 (none).
    int repeatIndex() const { return m_repeat; }
    qsizetype pairCount() const { return m_keys.size(); }

    // The value as AddPair stores it.
    static QByteArray rtfSafeValue(const QString &value);

private:
    ShellOpener &m_shell;
    QList<QByteArray> m_keys;
    QList<QByteArray> m_upperKeys;  // ASCII upper case, for searching
    QList<QByteArray> m_values;
    int m_repeat = -1;
};

// Repeats the table row of `file` that holds `marker` so that the table has copies + 1
// such rows, replacing every "*" in the n-th copy by n ("[TarlaNr*]" -> "[TarlaNr2]").
// The row runs from its "\irow<i>" tag to the next row's "\irow<i+1>" tag, so a further
// row must follow it. Copies below 0 leave the row as it is. False (file untouched) when
// the file, the marker, the row start or the next row is missing.
bool DuplicateRtfRow(const QString &file, const QString &marker, int copies);

namespace rtf {
// Lines of 8-bit text split at CR LF, LF or CR; a final line break adds no empty line.
QList<QByteArray> splitLines(const QByteArray &bytes);
// Lines joined with CR LF after every line.
QByteArray joinLines(const QList<QByteArray> &lines);
// Code page 1250 upper case of one byte.
char upperByte(char c);
} // namespace rtf

} // namespace ogx
