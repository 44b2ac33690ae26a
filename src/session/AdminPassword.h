#pragma once
// The administrator password: stored scrambled by CodeazaStr in "INIT"/"WIN" of the
// settings file; an empty value means there is no password.

#include "datastore/Settings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ogx {

// The scrambling on code page 1250 bytes: deterministic, depends only on the bytes; the
// result is k + 1 bytes longer than the input (6 <= k <= 35).
QByteArray CodeazaBytes(QByteArray s);

// The scrambling of a text: its code page 1250 bytes (a character the code page lacks
// counts as "?") scrambled and decoded again, so the text written to the settings file
// holds exactly the scrambled bytes.
QString CodeazaStr(const QString &text);

// Whether `typed` is the password whose scrambled form was read back from the settings
// file as `stored` (reading trims surrounding blanks, so the scrambled text is trimmed
// the same way before comparing; letter case counts).
bool PasswordMatches(const QString &stored, const QString &typed);

QString StoredAdminPassword(const Settings &settings);
bool HasAdminPassword(const Settings &settings);
// Stores the scrambled password; an empty text removes the password.
void SetAdminPassword(const Settings &settings, const QString &password);
void ClearAdminPassword(const Settings &settings);
// True when a password is stored and `password` is it.
bool VerifyAdminPassword(const Settings &settings, const QString &password);

} // namespace ogx

namespace ogx {

// `ogorix-cli admin-password ...`: `args` are the words after "admin-password":
//   set TEXT     stores TEXT as the administrator password (an empty TEXT removes it)
//   clear        removes the password
//   verify TEXT  prints "true" (exit 0) when TEXT is the stored password, else "false" (exit 1)
// Wrong use gives exit code 2 and a usage line.
struct AdminPasswordCommandResult {
    int exitCode = 0;
    QString output; // one line for the standard output (or the error output when exitCode is 2)
};
AdminPasswordCommandResult RunAdminPasswordCommand(const Settings &settings, const QStringList &args);

} // namespace ogx
