#include "app/Startup.h"

#include "datastore/ActionLog.h"
#include "datastore/Error.h"
#include "datastore/Pack.h"
#include "datastore/Schema.h"
#include "datastore/Upgrade.h"
#include "datastore/Helpers.h"
#include "datastore/Templates.h"
#include "dbf/Numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>

#include <clocale>
#include <filesystem>
#include <system_error>

namespace ogx {
namespace {

const QString kLocal = QStringLiteral("Lucru local.");

void makeDirectory(const QString &path)
{
    std::error_code ec;
    std::filesystem::create_directories(QFile::encodeName(path).toStdString(), ec);
    if (ec || !QFileInfo(path).isDir())
        throw Error(QStringLiteral("Nu pot crea directorul %1: %2")
                        .arg(path, ec ? QString::fromLocal8Bit(ec.message().c_str())
                                      : QStringLiteral("exista un fisier cu acest nume")));
}

} // namespace

Startup::Startup(StartupOptions options, StartupHooks hooks, StartupView &view, Prompter &prompter,
                 const Clock &clock)
    : m_options(std::move(options)), m_hooks(std::move(hooks)), m_view(view), m_prompter(prompter), m_clock(clock)
{
}

Startup::~Startup()
{
    m_db.reset();
    if (!m_tempToRemove.isEmpty())
        DeletePath(m_tempToRemove);
}

Database &Startup::database()
{
    if (!m_db)
        throw Error(QStringLiteral("Baza de date nu este deschisa."));
    return *m_db;
}

void Startup::closeDatabase() { m_db.reset(); }

void Startup::openDatabase()
{
    m_db.reset();
    m_db = std::make_unique<Database>(m_ws, &m_clock);
}

QString Startup::operatorText()
{
    QString computer = QSysInfo::machineHostName().left(15);
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    if (user.isEmpty())
        user = QStringLiteral("Unknown");
    return computer + QStringLiteral(" - ") + user;
}

QString Startup::caption() const
{
    return QStringLiteral("Ogorix  ver.") + QString::fromStdString(dbf::formatFixed(Workspace::kVersion, 4));
}

void Startup::setStatus(const QString &text)
{
    m_status = text;
    m_view.setStatusText(text);
}

void Startup::call(const std::function<void(Startup &)> &hook)
{
    if (hook)
        hook(*this);
    m_view.processEvents();
}

void Startup::makeDirectories()
{
    m_ws.programDir = m_options.programDir;
    m_ws.machineDir = m_options.machineDir;
    m_ws.dataDir = m_ws.localDataDir = m_ws.programDir + QStringLiteral("/Data");
    m_ws.tempDir = m_ws.programDir + QStringLiteral("/Temp");
    makeDirectory(m_ws.programDir);
    makeDirectory(m_ws.dataDir);
    makeDirectory(m_ws.tempDir);
    m_tempToRemove = m_ws.tempDir;
    makeDirectory(m_ws.machineDir);
    m_settings = std::make_unique<Settings>(m_ws);
}

// The update package is started and the program ends, or, when the program was started
// again by the package, the package is removed. True when the program must end now.
bool Startup::updateHandOff()
{
    const QString package = m_ws.programFile(QStringLiteral("UpOgorix"));
    QFile f(package);
    if (!f.open(QIODevice::ReadOnly))
        return false; // absent or locked: skipped for this start
    f.close();
    if (m_settings->ReadSetting(QStringLiteral("Server"), QStringLiteral("UpGradeOn")) != QStringLiteral("1")) {
        m_settings->WriteSetting(QStringLiteral("Server"), QStringLiteral("UpGradeOn"), QStringLiteral("1"));
        QProcess::startDetached(package, {m_options.executablePath}, m_ws.programDir);
        return true;
    }
    m_settings->WriteSetting(QStringLiteral("Server"), QStringLiteral("UpGradeOn"), QStringLiteral("0"));
    QFile::remove(package);
    return false;
}

void Startup::chooseWorkingMode()
{
    // Step 6: an archive given on the command line, else register the file type.
    const QString first = m_options.arguments.value(0);
    if (!first.isEmpty() && QFileInfo(first).isFile())
        m_ws.openedBackup = QFileInfo(first).absoluteFilePath();
    else if (!m_options.headless)
        RegisterFileType(QStringLiteral("ogx"), m_options.executablePath, m_ws.programFile(QStringLiteral("ico1.ico")),
                         m_options.fileTypes);
    m_view.processEvents();

    setStatus(kLocal); // step 7

    // Step 8: backup mode.
    if (m_ws.backupMode() && m_ws.openedBackup.endsWith(QStringLiteral(".ogx"), Qt::CaseInsensitive)) {
        const QString work = MakeTempDir(m_ws, QStringLiteral("DIR"));
        if (work.isEmpty())
            throw Error(QStringLiteral("Nu pot crea directorul de lucru in %1").arg(m_ws.tempDir));
        m_ws.programDir = work;
        m_ws.dataDir = m_ws.localDataDir = work + QStringLiteral("/Data");
        makeDirectory(m_ws.dataDir);
        m_ws.tempDir = work + QStringLiteral("/Tmp");
        makeDirectory(m_ws.tempDir);
        // From now on the run's Temp directory is the working folder's; the working
        // folder itself is removed by the backup once it was written back.
        m_tempToRemove = m_ws.tempDir;
        m_settings = std::make_unique<Settings>(m_ws);
        call(m_hooks.openBackupForWork);
        QDir::setCurrent(work);
        setStatus(QStringLiteral("Lucru in Salvare: ") + m_ws.openedBackup);
        return;
    }

    // Step 9: network mode when the server path holds the tables.
    m_ws.openedBackup.clear();
    const QString server = m_settings->ReadMachineSetting(QStringLiteral("SERVER"));
    if (server.isEmpty())
        return;
    const bool complete = QFileInfo::exists(server + QStringLiteral("/Contract.dbf"))
        && QFileInfo::exists(server + QStringLiteral("/Parcele.dbf"))
        && QFileInfo::exists(server + QStringLiteral("/Plati2.dbf"));
    if (complete) {
        m_ws.dataDir = QDir::cleanPath(server);
        m_settings = std::make_unique<Settings>(m_ws);
    } else {
        m_prompter.Mesaj(QStringLiteral("Conectare server"),
                         QStringLiteral("Baza de date ") + server + u'\r'
                             + QStringLiteral("NU este accesibila sau este incompleta!") + u'\r'
                             + QStringLiteral("Verificati conexiunea si baza si reporniti programul!"),
                         ErrorKind, ButtonOk);
    }
}

// The Linux build ships no updater (updates come from the package manager); when a build
// ships one as the resource "UpDate", it is written and started as the system describes.
void Startup::startUpdater()
{
    if (!QFile::exists(resourcePath(QStringLiteral("UpDate"), QStringLiteral("UpDate"))))
        return;
    const QString updater = m_ws.programFile(QStringLiteral("UpGrade"));
    if (QFileInfo::exists(updater) && !QFile::remove(updater))
        return; // an updater still running
    if (!ExtractResourceFile(QStringLiteral("UpDate"), QStringLiteral("UpDate"), updater))
        return;
    QFile::setPermissions(updater, QFile::permissions(updater) | QFile::ExeOwner);
    QString commune = m_settings->ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"));
    if (commune.isEmpty())
        commune = QStringLiteral("nespecificata");
    QProcess::startDetached(updater,
                            {QString::number(Workspace::kProgramNumber), Workspace::versionText(),
                             m_settings->ReadSetting(QStringLiteral("CONST"), QStringLiteral("JUDET")), commune},
                            m_ws.programDir);
}

Startup::Outcome Startup::run()
{
    // Steps 1-2: numbers never follow the regional settings; the operator text.
    std::setlocale(LC_NUMERIC, "C");
    m_ws.operatorText = operatorText();
    m_view.setProgressMaximum(100);
    m_view.processEvents();

    makeDirectories(); // step 3

    // Step 4: machine keys and the running version, in the local Data directory.
    m_settings->WriteMachineSetting(QStringLiteral("CALE"), m_ws.programDir);
    m_settings->WriteMachineSetting(QStringLiteral("VER"), Workspace::versionText());
    m_settings->WriteSettingNumber(QStringLiteral("47"), QStringLiteral("VER"), Workspace::kVersion);
    m_view.processEvents();

    if (!m_options.headless && updateHandOff()) // step 5
        return Outcome::EndedForUpdate;

    chooseWorkingMode(); // steps 6-9

    if (m_hooks.loadAdminSettings) // step 10
        call(m_hooks.loadAdminSettings);
    else
        LoadAdminSettings(*m_settings, m_admin, m_options.home);
    m_view.processEvents();
    if (m_ws.networkMode() && m_status == kLocal) // step 11
        setStatus(QStringLiteral("Lucru in retea: ") + m_ws.dataDir);

    m_view.setSplashText(QStringLiteral("Verific baza de date ...")); // step 12
    m_view.setProgress(0);
    m_view.processEvents();

    openDatabase(); // step 13
    CreateTables(*m_db);
    m_view.processEvents();
    PurgeLog(*m_db);
    m_view.processEvents();
    InstallTemplates(m_ws);
    UpgradeSchema(*m_db, [this] { InstallTemplates(m_ws); }, m_admin.county(), nullptr);
    m_view.processEvents();

    m_view.setProgressMaximum(24); // step 14
    WeeklyPack(*m_db, [this] {
        m_view.stepProgress();
        m_view.processEvents();
    });

    if (m_ws.backupMode()) // step 15
        setStatus(QStringLiteral("Lucru in salvarea: ") + QFileInfo(m_ws.openedBackup).fileName().toUpper() + u'.');

    SyncIdCounters(*m_db); // step 16
    m_view.setCaption(caption()); // step 17

    if (m_options.headless)
        return Outcome::Finished;

    m_view.hideSplash(); // step 18
    startUpdater();      // step 19
    if (m_hooks.runSession) // step 20
        m_exitCode = m_hooks.runSession(*this);
    return Outcome::Finished; // step 21: the destructor removes the Temp directory
}

} // namespace ogx
