#pragma once
// Small text and file helpers shared by every part of the program.

#include "datastore/Workspace.h"

#include <QString>

namespace ogx {

// Trims both ends, reduces every run of blanks to one blank, then removes every double
// quote (a blank that stood next to a removed quote at an end remains).
QString CleanText(const QString &text);

// The trimmed text with " AND " between every ")" directly followed by "(".
QString JoinConditions(const QString &text);

// Replaces every occurrence, searching again from the start after each replacement. An
// empty searched text returns the text unchanged. A replacement that holds the searched
// text would never end; it is then replaced once, left to right.
QString ReplaceAll(const QString &text, const QString &search, const QString &replacement);

// Adds 0.5 and drops the fraction: 2.5 -> 3, 2.49 -> 2, -2.5 -> -2.
qint64 RoundInt(double value);

// True when another program holds the file open for editing: an office lock file stands
// beside it (".~lock.<name>#" of LibreOffice, "~$<name>" of Microsoft Office). Such a file
// is never deleted or overwritten.
bool IsFileInUse(const QString &path);

// Deletes a file or a whole directory tree, silently. False when something is left.
bool DeletePath(const QString &path);

// First free "<programDir>/<prefix><n><extension>" for n = 0..999: a missing candidate is
// taken; an existing one is deleted and taken when it is not in use and can be deleted.
// Empty when none can be used.
QString MakeTempName(const Workspace &ws, const QString &prefix, const QString &extension);

// Fresh directory "<tempDir>/<prefix><n>" for n = 0..99: the first candidate that does not
// exist or can be removed with its contents is created. Empty when none can be made.
QString MakeTempDir(const Workspace &ws, const QString &prefix);

// Copies the source to the destination in blocks, then erases the source. False when the
// source cannot be opened or the destination cannot be written; a partly written
// destination is removed.
bool MoveFileByCopy(const QString &source, const QString &destination);

} // namespace ogx
