#pragma once
// TForm3: the main window, a thin toolbar across the top of the screen from which every
// other window is reached; the login with full or read-only rights; RunSession.

#include "datastore/Prompter.h"
#include "datastore/Workspace.h"
#include "session/AdminSettings.h"
#include "session/SessionRules.h"

#include <QDialog>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

namespace ogx {

class FlatToolButton;
class TForm4;
class TForm5;
class TLogView;

// Menu commands handed to the parts that implement them.
enum class MainCommand {
    Contracte,                     // the contract register (after the commune check)
    RaportCurteaConturi,           // "Raport Curtea de Conturi"
    ListeDiverse,                  // "Liste diverse"
    ListaSuprafete,                // "Lista Suprafete"
    CentralizatorParceleArendasi,  // "Centralizator Parcele - Arendasi"
    BorderouContracteTarlale,      // "Borderou Contracte - Tarlale"
    BorderouContracteBlocuri,      // "Borderou Contracte - Blocuri fizice"
    CentralizatorArendatori,       // "Centralizator pe Arendatori"
    BorderouPlatiArenda,           // "Evidenta Plati" / "Borderou Plati Arenda"
    BorderouPlatiProduse,          // "Evidenta Plati" / "Borderou Plati pe produse"
    CentralizatorPlati,            // "Evidenta Plati" / "Centralizator Plati efectuate"
    ListaPlatilor,                 // "Evidenta Plati" / "Lista platilor"
    ApiaTabelCentralizator,        // "A.P.I.A. - Tabel Centralizator"
    StatisticaRaport,              // "Statistica - Raport"
    Declaratia112,                 // "Declaratia 112"
    VerificareSuprafata,           // "Verificare baza de date" / "Verificare Suprafata din contract cu Suma parcelelor"
    MutaDenumireaTarlalei,         // "Muta Denumirea tarlalei la Act de proprietate"
    CondicaSugestii,               // "Condica de sugestii"
    IstoriculModificarilor,        // "Istoricul modificarii datelor"
};

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // `state` (logged in, read-only) belongs to the start-up and lives for the run;
    // `admin` is the administration window, opened from here.
    TForm3(const Workspace &ws, AdminSettings &adminSettings, SessionState &state, Prompter &prompter,
           TForm4 &admin, QWidget *parent = nullptr);
    ~TForm3() override;

    // Hooks the start-up and the other parts connect.
    std::function<void(MainCommand)> onCommand;       // a menu entry or "Contracte"
    std::function<bool()> openBackupWindow;           // true when a restore replaced the data
    std::function<void(const QString &)> writeLog;    // the action log
    std::function<void()> automaticBackup;            // the end-of-run backup, when the close decided it
    // The closing questions (`contracteShown`: the "Contracte" button is shown); true when
    // the data are to be backed up. Default: DecideBackupOnClose. The backup side sets it
    // to remember which copy was chosen (the opened archive or a dated copy).
    std::function<bool(bool contracteShown)> decideBackup;
    std::function<void(bool readOnly)> rightsChanged; // after the login (the register's changing commands)
    // The log window, opened by "Istoricul modificarii datelor" when set (otherwise the
    // command goes to onCommand like the others).
    TLogView *logView = nullptr;
    // The login query; default: the login window. Nothing when it was closed.
    std::function<std::optional<QString>()> loginQuery;

    // Writes the start of the run to the log, shows the window modally until it closes,
    // writes the end, and runs the automatic backup when the close decided on one.
    // Returns true when a backup was decided.
    bool RunSession();

    // The caption ("Ogorix  ver.1.0151") and the second status panel (working mode).
    void setCaption(const QString &caption);
    void setStatusText(const QString &text);
    QString statusText() const;

    // Commands, public so the start-up and the tests can run them.
    void AdminButClick();
    void ContracteButClick();
    void RapoarteButClick();
    void UtilitareButClick();
    void SalvareIncarcareClick();

    bool backupDecided() const { return m_backup; }
    const SessionState &state() const { return m_state; }
    FlatToolButton *button(const QString &objectName) const;
    QMenu *rapoarteMenu() const { return m_rapoarte; }
    QMenu *utilitareMenu() const { return m_utilitare; }
    QAction *salvareAction() const { return m_salvare; }
    TForm5 *loginWindow() const { return m_login; }

protected:
    void done(int r) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void unlock();
    void stretchAcrossScreen();
    QAction *addCommand(QMenu *menu, const QString &caption, MainCommand command);
    void run(MainCommand command);

    const Workspace &m_ws;
    AdminSettings &m_adminSettings;
    SessionState &m_state;
    Prompter &m_prompter;
    TForm4 &m_admin;
    TForm5 *m_login = nullptr;

    FlatToolButton *m_contracte = nullptr;
    FlatToolButton *m_rapoarteBut = nullptr;
    FlatToolButton *m_utilitareBut = nullptr;
    FlatToolButton *m_adminBut = nullptr;
    FlatToolButton *m_iesire = nullptr;
    QMenu *m_rapoarte = nullptr;
    QMenu *m_utilitare = nullptr;
    QAction *m_salvare = nullptr;
    QStatusBar *m_status = nullptr;
    QLabel *m_panel1 = nullptr;
    QLabel *m_panel2 = nullptr;
    bool m_backup = false;
    bool m_closing = false;
};

} // namespace ogx
