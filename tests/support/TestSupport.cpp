#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace ogx::test {

QString sourceDir()
{
    const QString env = qEnvironmentVariable("OGORIX_SOURCE_DIR");
    if (!env.isEmpty())
        return env;
    return QStringLiteral(OGX_TEST_SOURCE_DIR);
}

QString binDir()
{
    const QString env = qEnvironmentVariable("OGORIX_BIN_DIR");
    if (!env.isEmpty())
        return env;
    return QStringLiteral(OGX_TEST_BIN_DIR);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

ProcessResult runProcess(const QString &program, const QStringList &args, int timeoutMs,
                         const QString &workingDir)
{
    ProcessResult r;
    QProcess p;
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, args);
    if (!p.waitForStarted(30000)) {
        r.err = "cannot start " + program.toUtf8() + ": " + p.errorString().toUtf8();
        return r;
    }
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        r.err = "time-out running " + program.toUtf8();
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

ProcessResult runPython(const QString &script, const QStringList &args, int timeoutMs)
{
    return runProcess(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args,
                      timeoutMs);
}

ProcessResult runLibreOffice(const QStringList &args, const QString &profileParent, int timeoutMs)
{
    QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        soffice = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (soffice.isEmpty()) {
        ADD_FAILURE() << "LibreOffice is not installed (make test installs it)";
        return {};
    }
    const QString profile = QDir(profileParent).absoluteFilePath(QStringLiteral("lo-profile"));
    QStringList all{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                    QStringLiteral("--headless"), QStringLiteral("--norestore")};
    all += args;
    return runProcess(soffice, all, timeoutMs);
}

} // namespace ogx::test
