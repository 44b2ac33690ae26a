// Renders every window offscreen into PNG files named after the window.
// Usage: ogx-screenshots <output folder>
// The windows work on a throw-away workspace filled with demonstration data. A window
// is added here with one shoot(...) call once it exists.

#include "backup/ui/ArchiveFileDialogs.h"
#include "backup/ui/SalvareU.h"
#include "datastore/ActionLog.h"
#include "contracts/ContractService.h"
#include "contracts/ui/AddConU.h"
#include "contracts/ui/AddParcU.h"
#include "contracts/ui/EvidenteU.h"
#include "datastore/Database.h"
#include "documents/ui/AddPretU.h"
#include "reports/ExportXLSModel.h"
#include "datastore/DemoData.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "datastore/ShellOpener.h"
#include "session/AdminPassword.h"
#include "session/ui/AdministrareU.h"
#include "session/ui/ContorU.h"
#include "session/ui/EditPassU.h"
#include "session/ui/EroriU.h"
#include "session/ui/GuiPrompter.h"
#include "session/ui/LogViewU.h"
#include "session/ui/LoginU.h"
#include "session/ui/MainU.h"
#include "session/ui/SessionWindows.h"
#include "widgets/BalloonHint.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString g_out;
int g_failures = 0;

void settle(QWidget *w)
{
    w->show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void save(const QPixmap &pixmap, const QString &name)
{
    const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
    if (pixmap.isNull() || !pixmap.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

// Shows the window, renders it, hides it again.
void shoot(QWidget *w, const QString &name)
{
    settle(w);
    save(w->grab(), name);
    w->hide();
}

// A picture of a window with the balloon hint over it (both rendered into one image).
void shootWithBalloon(QWidget *w, QWidget *control, const QString &text, const QString &name)
{
    settle(w);
    ogx::BalloonHint *hint = ogx::BalloonHint::showHint(control, QStringLiteral("Problema !"), text, 5000);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    QPixmap base = w->grab();
    const QPixmap bubble = hint->grab();
    const QPoint at = hint->mapToGlobal(QPoint(0, 0)) - w->mapToGlobal(QPoint(0, 0));
    QPixmap canvas(std::max(base.width(), at.x() + bubble.width()), std::max(base.height(), at.y() + bubble.height()));
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    p.drawPixmap(0, 0, base);
    p.drawPixmap(at, bubble);
    p.end();
    save(canvas, name);
    hint->close();
    w->hide();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ogx-screenshots <output folder>\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);

    QTemporaryDir tmp;
    ogx::Workspace ws;
    ws.programDir = tmp.path();
    ws.dataDir = tmp.path() + QStringLiteral("/Data");
    ws.localDataDir = ws.dataDir;
    ws.tempDir = tmp.path() + QStringLiteral("/Temp");
    ws.machineDir = tmp.path() + QStringLiteral("/machine");
    ws.operatorText = QStringLiteral("PRIMARIE - ana");
    QDir().mkpath(ws.dataDir);
    QDir().mkpath(ws.machineDir);

    ogx::Database db(ws);
    ogx::CreateTables(db);
    ogx::WriteLog(db, QStringLiteral("Pornire Contracte Ogorix"));
    ogx::fillDemoRegister(db, 40, 7);
    ogx::WriteLog(db, QStringLiteral("Inchidere Contracte Ogorix"));

    const ogx::Settings settings(ws);
    settings.WriteSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"), QStringLiteral("VALEA MARE"));
    settings.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("JUDET"), 15);
    ogx::SetAdminPassword(settings, QStringLiteral("demo"));

    ogx::TErori erori;
    erori.setBeep([] {});
    ogx::TContor contor;
    ogx::GuiPrompter prompter(erori, contor);
    ogx::RecordingShellOpener shell;
    ogx::AdminSettings admin;
    ogx::SessionState state;

    // Message box: the four kinds, one to four buttons.
    struct Box {
        int kind;
        int buttons;
        const char *name;
        const char *title;
        const char *text;
    };
    const Box boxes[] = {
        {0, 4, "TErori_warning_1button", "Administrare", "        ATENTIE!\r\nNu aveti nici o parola!"},
        {1, 3, "TErori_error_2buttons", "Greseala!", "PAROLA INCORECTA !\rMai incercati o data?"},
        {2, 1 | 2 | 4, "TErori_information_3buttons", "Salvari automate",
         "Calea pentru Salvari Automate este acum \r/home/ana/Salvari_Ogorix."},
        {3, 15, "TErori_confirmation_4buttons", "Salvare Automata", "\rDoriti sa facem o copie la datele de azi?"},
    };
    for (const Box &b : boxes) {
        erori.prepare(QString::fromUtf8(b.title), QString::fromUtf8(b.text), b.kind, b.buttons);
        shoot(&erori, QLatin1String(b.name));
    }

    contor.setDescription(QStringLiteral("Calculez Centralizatorul..."));
    contor.Bar()->setMaximum(10);
    contor.Bar()->setValue(4);
    shoot(&contor, QStringLiteral("TContor"));

    ogx::TForm4 form4(ws, admin, prompter, shell);
    form4.home = tmp.path();
    form4.LoadAdminSettings();
    shoot(&form4, QStringLiteral("TForm4"));

    ogx::TForm3 form3(ws, admin, state, prompter, form4);
    form3.setCaption(QStringLiteral("Ogorix  ver.1.0151"));
    form3.setStatusText(QStringLiteral("Lucru local."));
    shoot(&form3, QStringLiteral("TForm3_before_login"));
    form3.loginQuery = [] { return std::optional<QString>(QStringLiteral("demo")); };
    form3.AdminButClick();
    shoot(&form3, QStringLiteral("TForm3_after_login"));

    ogx::TForm5 form5;
    form5.input()->setText(QStringLiteral("parola"));
    shoot(&form5, QStringLiteral("TForm5"));

    ogx::TEditPassF editPass(prompter);
    shoot(&editPass, QStringLiteral("TEditPassF"));
    editPass.input()->clear();
    shootWithBalloon(&editPass, editPass.input(), QStringLiteral("Nu ati scris nicio parola!"),
                     QStringLiteral("TEditPassF_problem_hint"));

    ogx::TLogView logView;
    logView.setDatabase(&db);
    logView.openQuery();
    shoot(&logView, QStringLiteral("TLogView"));
    logView.closeQuery();

    // The shared grid with a title band over a group of columns.
    QStandardItemModel sample(4, 6);
    const QStringList heads{QStringLiteral("Arendator"), QStringLiteral("Nr."), QStringLiteral("Data"),
                            QStringLiteral("Expira"), QStringLiteral("Suprafata"), QStringLiteral("Arendas")};
    sample.setHorizontalHeaderLabels(heads);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c)
            sample.setItem(r, c, new QStandardItem(QStringLiteral("%1-%2").arg(r + 1).arg(heads[c])));
    ogx::DataGrid grid;
    grid.setModel(&sample);
    grid.setTitleBands({{1, 4, QStringLiteral("Contract de Arenda")}});
    grid.resize(640, 160);
    grid.selectRow(1);
    shoot(&grid, QStringLiteral("DataGrid_title_bands"));

    // The backup window, with the remote backup connected.
    ogx::QtArchiveFileDialogs archiveDialogs;
    ogx::TForm21 form21(ogx::BackupContext{ws, prompter, prompter}, archiveDialogs);
    form21.openRemoteBackup = [] {};
    form21.servBut()->setEnabled(true);
    shoot(&form21, QStringLiteral("TForm21"));

    // The contract register on the demo register, the contract editor (new and change) and
    // the parcel editor.
    admin.comuna = QStringLiteral("VALEA MARE");
    admin.judet = 15;
    ogx::ExportXLSModel reports(ws, shell);
    ogx::TEvidente evidente(ws, db, prompter, prompter, shell, reports);
    evidente.setAdminSettings(&admin);
    evidente.OpenRegister();
    shoot(&evidente, QStringLiteral("TEvidente"));
    evidente.addCon().setAdminCounty(admin.judet);
    evidente.addCon().prepare(QStringLiteral("-1"));
    shoot(&evidente.addCon(), QStringLiteral("TAddCon_new"));
    evidente.addCon().hide();
    if (const auto contract = evidente.selectedContract()) {
        evidente.addCon().ClearFields();
        evidente.addCon().setValues(*contract);
        evidente.addCon().prepare(QString::number(contract->IDCON));
        shoot(&evidente.addCon(), QStringLiteral("TAddCon_change"));
        evidente.addCon().hide();
        if (const auto parcel = evidente.selectedParcel()) {
            evidente.addParc().ClearFields();
            evidente.addParc().setContract(*contract);
            evidente.addParc().setValues(ogx::parcelInputFrom(*parcel));
            evidente.addParc().prepare(QString::number(parcel->IDPARC), contract->EXPIRA, contract->DATACON);
            shoot(&evidente.addParc(), QStringLiteral("TAddParc"));
            evidente.addParc().hide();
        }
    }
    evidente.close();

    ogx::TAddPret addPret(prompter);
    shoot(&addPret, QStringLiteral("TAddPret"));

    return g_failures == 0 ? 0 : 1;
}
