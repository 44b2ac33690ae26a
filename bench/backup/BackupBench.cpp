// Backup speed against gzip on the Data directory of a 50 000-contract demo register.
//
// Usage: bench_backup [--contracts N] [--repeat R]   (50 000 contracts, 1 run of each)
//
// Prints, measured in this one run (the best of R runs of each):
//   write ratio   = WriteArchive / `gzip -9` of the same files            (target <= 1.15)
//   restore ratio = unpacking the archive / `gzip -d` of the gzip output   (target <= 1.3)
// and, for information, the whole save (snapshot copy + archive) and the whole restore
// (unpack aside + swap into the Data directory) against the same baselines.
#include "backup/Archive.h"
#include "backup/Backup.h"
#include "backup/DataFiles.h"
#include "datastore/Database.h"
#include "datastore/DemoData.h"
#include "datastore/Schema.h"
#include "datastore/Templates.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// ---- measuring ---------------------------------------------------------------------------

struct Timing {
    double wall = 1e99; // seconds
    double cpu = 1e99;  // user + system seconds of this process and its children
};

double cpuSeconds()
{
#ifdef Q_OS_UNIX
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage u{};
        getrusage(who, &u);
        total += double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    return total;
#else
    return 0;
#endif
}

// The best of `repeat` runs, by wall-clock time and by processor time (the latter does
// not depend on what else the machine is doing).
Timing measure(int repeat, const std::function<void()> &prepare, const std::function<void()> &work)
{
    Timing best;
    for (int i = 0; i < repeat; ++i) {
        prepare();
        const double cpu0 = cpuSeconds();
        QElapsedTimer t;
        t.start();
        work();
        best.wall = std::min(best.wall, double(t.nsecsElapsed()) / 1e9);
        best.cpu = std::min(best.cpu, cpuSeconds() - cpu0);
    }
    return best;
}

void report(const char *what, const char *baselineName, const Timing &baseline, const char *oursName, const Timing &ours,
            const char *target)
{
    printf("%-8s %s %.2f s (cpu %.2f s), %s %.2f s (cpu %.2f s): ratio %.2f, cpu ratio %.2f%s\n", what, baselineName,
           baseline.wall, baseline.cpu, oursName, ours.wall, ours.cpu, ours.wall / baseline.wall, ours.cpu / baseline.cpu,
           target);
}

void runTo(const QString &program, const QStringList &args, const QString &outputFile)
{
    QProcess p;
    p.setStandardOutputFile(outputFile);
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        fprintf(stderr, "%s failed\n", qPrintable(program));
        exit(2);
    }
}

qint64 totalSize(const QStringList &files)
{
    qint64 sum = 0;
    for (const QString &f : files)
        sum += QFileInfo(f).size();
    return sum;
}

class Silent final : public ogx::Prompter {
public:
    int Mesaj(const QString &title, const QString &text, int, int) override
    {
        if (title != QLatin1String("Informatie"))
            fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return ogx::ResultOk;
    }
    void ShowProblemHint(const QString &, QWidget *) override {}
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString gzip = QStandardPaths::findExecutable(QStringLiteral("gzip"));
    if (gzip.isEmpty()) {
        fprintf(stderr, "gzip is needed for the baseline\n");
        return 2;
    }
    QTemporaryDir tmp;
    ogx::Workspace ws;
    ws.programDir = tmp.filePath(QStringLiteral("prog"));
    ws.dataDir = ws.localDataDir = ws.programDir + QStringLiteral("/Data");
    ws.tempDir = ws.programDir + QStringLiteral("/Temp");
    QDir().mkpath(ws.dataDir);
    QDir().mkpath(ws.tempDir);
    int contracts = 50000, repeat = 1;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--contracts"))
            contracts = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--repeat"))
            repeat = std::max(1, args[i + 1].toInt());
    }
    QElapsedTimer made;
    made.start();
    ogx::DemoSummary demo;
    {
        ogx::Database db(ws);
        ogx::CreateTables(db);
        demo = ogx::fillDemoRegister(db, contracts, 1);
    }
    ogx::InstallTemplates(ws);
    const QStringList files = ogx::ListArchivableFiles(ws.dataDir);
    printf("Data directory: %d contracts, %d parcels, %d payment rows, %d log lines; %lld files, %.1f MB (made in %.0f s)\n",
           demo.contracts, demo.parcels, demo.payments, demo.logLines, qint64(files.size()), double(totalSize(files)) / 1e6,
           double(made.elapsed()) / 1000);
    fflush(stdout);

    const QString archive = tmp.filePath(QStringLiteral("copie.ogx"));
    const QString gz = tmp.filePath(QStringLiteral("copie.gz"));
    const QString out = tmp.filePath(QStringLiteral("out"));
    const QString outDir = tmp.filePath(QStringLiteral("outd"));
    auto nothing = [] {};
    Silent prompter;
    ogx::NoProgress progress;
    const ogx::BackupContext ctx{ws, prompter, progress};
    const QString saved = tmp.filePath(QStringLiteral("saved.ogx"));

    const Timing gzipWrite = measure(repeat, nothing, [&] {
        runTo(gzip, QStringList{QStringLiteral("-9"), QStringLiteral("-c")} + files, gz);
    });
    const Timing ourWrite = measure(repeat, nothing, [&] { ogx::WriteArchive(archive, ws.dataDir); });
    const Timing ourSave = measure(repeat, [&] { QFile::remove(saved); }, [&] { ogx::SaveBackup(ctx, saved); });
    const Timing gzipRead = measure(repeat, nothing, [&] { runTo(gzip, {QStringLiteral("-d"), QStringLiteral("-c"), gz}, out); });
    const Timing ourRead = measure(
        repeat, [&] { QDir(outDir).removeRecursively(); QDir().mkpath(outDir); },
        [&] {
            if (!ogx::ReadArchive(archive, outDir).ok)
                exit(3);
        });
    const Timing ourRestore = measure(repeat, nothing, [&] {
        if (!ogx::RestoreBackup(ctx, saved))
            exit(3);
    });

    printf("archive %.1f MB, gzip -9 output %.1f MB\n", double(QFileInfo(archive).size()) / 1e6,
           double(QFileInfo(gz).size()) / 1e6);
    report("write", "gzip -9", gzipWrite, "WriteArchive", ourWrite, "  (target <= 1.15)");
    report("restore", "gzip -d", gzipRead, "ReadArchive", ourRead, "  (target <= 1.30)");
    report("save", "gzip -9", gzipWrite, "SaveBackup (snapshot copy + archive)", ourSave, "");
    report("restore", "gzip -d", gzipRead, "RestoreBackup (unpack aside + swap)", ourRestore, "");
    return 0;
}
