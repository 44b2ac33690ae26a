#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ogx::test {

// The repository's root (fixtures live beside the tests that use them).
QString sourceDir();
// The folder holding the built executables (ogorix-cli, xlstool, ...).
QString binDir();

// Reads / writes a whole file; a failure fails the running test.
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program to completion (time-out in ms); a program that cannot start or times
// out gives exitCode -1 and the reason in err.
ProcessResult runProcess(const QString &program, const QStringList &args,
                         int timeoutMs = 120000, const QString &workingDir = QString());

// Runs a Debian python script with /usr/bin/python3 (python3-xlrd, python3-dbfread, ...).
ProcessResult runPython(const QString &script, const QStringList &args = {}, int timeoutMs = 120000);

// Runs LibreOffice headless with a private profile under `profileParent` and a time-out.
// Fails the running test when LibreOffice is not installed: an oracle that is missing is
// a failure, never a silent pass.
ProcessResult runLibreOffice(const QStringList &args, const QString &profileParent,
                             int timeoutMs = 180000);

} // namespace ogx::test
