#pragma once
// TEvidente, "Contracte de Ogorix": the contract register. The contracts in the upper
// grid, narrowed by the search panel; the parcels of the selected contract in the lower
// grid with the lessor's details beside them; the commands that add, change, duplicate and
// delete contracts and parcels, attach a file, and export the lists.
//
// The window holds no SQL: it lists through ContractService and stores what its editors
// accepted through it. The documents and the payments window hang on the signals
// listContractRequested, saleOfferRequested and paymentsRequested, reading the selection
// through selectedContract(), contractParcels() and selectedParcel().

#include "contracts/ContractService.h"
#include "contracts/RegisterFilter.h"
#include "datastore/Prompter.h"
#include "datastore/ShellOpener.h"
#include "datastore/Workspace.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ogx {

class DataGrid;
class ExportXLSModel;
class NumberEdit;
class ResultSetModel;
class TAddCon;
class TAddParc;
struct AdminSettings;

class TEvidente : public QWidget {
    Q_OBJECT
public:
    TEvidente(const Workspace &ws, Database &db, Prompter &prompter, Progress &progress, ShellOpener &shell,
              ExportXLSModel &reports, QWidget *parent = nullptr);
    ~TEvidente() override;

    // Read-only rights of the session: no adding, changing, duplicating or deleting.
    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }
    // The unit's name ("#PRIMARIE") and county (a new contract's lessor county) come from
    // the administration settings, read when they are needed.
    void setAdminSettings(const AdminSettings *admin) { m_admin = admin; }
    // Disabled while the register is shown, enabled again when it closes.
    void setMainWindow(QWidget *main) { m_main = main; }
    // How "Adauga" chooses the attached file (default: a file dialog titled "Alegeti
    // fisierul"); returns an empty path when nothing was chosen.
    std::function<QString(const QString &title)> chooseFile;

    // Prepares and shows the window: filter panel reset, default orderings, the last
    // contract selected, the main window disabled.
    void OpenRegister();
    // When visible: lists again (contracts and parcels) and selects the same contract, or
    // the last one when there was none.
    void ReloadRegister();
    // Empties and refills the search panel, then filters once.
    void ResetFilterPanel();
    // Rebuilds the contract list from the search panel. A call made while another is under
    // way (or while the panel is being reset) is remembered and served by exactly one
    // further run.
    void Filtru();
    // The filter the search panel describes.
    RegisterFilter currentFilter() const;

    // Selection.
    std::optional<ContractRecord> selectedContract() const;
    std::optional<ParcelRecord> selectedParcel() const;
    QList<ParcelRecord> contractParcels() const;
    bool selectContract(qint64 idcon);
    bool selectParcel(qint64 idparc);
    int contractCount() const;
    int parcelCount() const;
    const QString &contractOrder() const { return m_contractOrder; }
    const QString &parcelOrder() const { return m_parcelOrder; }

    // Commands (public so the session, the tests and the screenshots can run them).
    void Button1Click();     // "Adauga Contract"
    void ModiConBClick();    // "Modifica Contract"
    void DelConBClick();     // "Sterge Contract"
    void CopyConClick();     // "Fa o dublura"
    void ListConBClick();    // "Listeaza Contract"
    void PlatiBClick();      // "Plati"
    void TabConBClick();     // "Tabel Nominal"
    void ExpConBClick();     // "Export in Excel"
    void ShowAtClick();      // "Arata"
    void EditAtClick();      // "Adauga" (attached file)
    void DelAtClick();       // "Sterge" (attached file)
    void AddSupBClick();     // "&Adauga Suprafata"
    void ModiSupBClick();    // "&Modifica Suprafata"
    void DelSupBClick();     // "&Sterge Suprafata"
    void COfBClick();        // "Cerere si oferta pentru vanzare"
    void ExpParcXLSBClick(); // "Export parcele in Excel"
    void SMDBGrid1TitleClick(int column); // contract grid title
    void SMDBGrid3TitleClick(int column); // parcel grid title

    TAddCon &addCon() { return *m_addCon; }
    TAddParc &addParc() { return *m_addParc; }
    DataGrid *contractGrid() const { return m_cx; }
    DataGrid *parcelGrid() const { return m_dx; }
    QPushButton *button(const QString &name) const;
    QWidget *control(const QString &name) const;
    QString attachedFileText() const;
    QString totalText() const;
    // The last report an export saved (empty when none).
    const QString &lastExport() const { return m_lastExport; }

signals:
    void listContractRequested();
    void saleOfferRequested();
    // The payments window of a contract: "<NUME1>: Contract <NRCON>[/<NRCPER>]/<DATACON>".
    void paymentsRequested(const QString &details, qint64 idcon);
    // Parcels or contracts changed (the surfaces list refreshes itself).
    void surfacesChanged();
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildForm();
    void loadContracts(qint64 selectId, bool selectLast);
    void loadParcels(qint64 selectParc);
    void contractChanged();
    void parcelChanged();
    void updateButtons();
    void showError(const QString &message);
    bool askDocumentRebuild(qint64 idcon, const QString &title);
    template <class F> void guarded(F &&f);

    const Workspace &m_ws;
    Database &m_db;
    ContractService m_service;
    Prompter &m_prompter;
    Progress &m_progress;
    ShellOpener &m_shell;
    ExportXLSModel &m_reports;
    const AdminSettings *m_admin = nullptr;
    QPointer<QWidget> m_main;
    bool m_readOnly = false;
    int m_filterCount = 0;
    bool m_loading = false;
    QString m_contractOrder;
    QString m_parcelOrder;
    QString m_lastExport;

    TAddCon *m_addCon = nullptr;
    TAddParc *m_addParc = nullptr;
    ResultSetModel *m_contracts = nullptr;
    ResultSetModel *m_parcels = nullptr;
    DataGrid *m_cx = nullptr;
    DataGrid *m_dx = nullptr;

    QComboBox *m_tipCon = nullptr;
    QComboBox *m_nume2F = nullptr;
    QComboBox *m_nume1F = nullptr;
    NumberEdit *m_nrCon = nullptr;
    QLineEdit *m_nrCPer = nullptr;
    NumberEdit *m_nrInreg = nullptr;
    QLineEdit *m_nrIPer = nullptr;
    QCheckBox *m_doarActive = nullptr;
    QLabel *m_totalC = nullptr;
    QLabel *m_fisAtL = nullptr;
    QList<std::pair<QString, QLabel *>> m_details; // field -> value label
};

} // namespace ogx
