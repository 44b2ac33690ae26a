#pragma once
// TAddCon: the contract editor. A modal dialog that edits the values of one contract and
// checks them; it never writes the tables (the register stores what it accepted). For a
// new contract it starts from the values remembered from the last new contract.

#include "contracts/ContractService.h"
#include "datastore/Prompter.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ogx {

class EnterTab;
class NumberEdit;

class TAddCon : public QDialog {
    Q_OBJECT
public:
    TAddCon(ContractService &service, Prompter &prompter, QWidget *parent = nullptr);

    // Position of the administration's county in the county list (the lessor's county of a
    // new contract).
    void setAdminCounty(int index) { m_adminCounty = index; }

    // Resets the inputs to their new-contract values (the lessee's address, locality and
    // county, and the type, are kept) and reloads the lessee names.
    void ClearFields();
    // The register's contract types without "* indiferent *".
    void setTypeItems(const QStringList &types);
    // Fills every input from a stored contract (before Execute for a change).
    void setValues(const ContractInput &c);
    // The values as the inputs hold them (after "&Memoreaza": cleaned and normalised).
    ContractInput values() const;

    // "-1" for a new contract, else the IDCON being changed: prepares the dialog, shows it
    // modally and returns true when "&Memoreaza" accepted the entry.
    bool Execute(const QString &id);
    // Execute without the modal loop (tests and screenshots): caption, defaults, lessee list.
    void prepare(const QString &id);
    bool result_() const { return m_result; }

    // "&Memoreaza": checks; on success remembers a new contract's values and accepts.
    void MemoButClick();

    QWidget *input(const QString &name) const;
    QLabel *heading() const { return m_heading; }

private:
    void buildForm();
    void lesseeChosen(int index);

    ContractService &m_service;
    Prompter &m_prompter;
    int m_adminCounty = 0;
    qint64 m_id = -1;
    bool m_result = false;
    QList<LesseeInfo> m_lessees;
    bool m_lesseesOpen = false;
    EnterTab *m_enter = nullptr;

    QLabel *m_heading = nullptr;
    QComboBox *m_tipCon = nullptr;
    NumberEdit *m_nrCon = nullptr;
    QLineEdit *m_nrcPer = nullptr;
    QDateEdit *m_dataCon = nullptr;
    QDateEdit *m_expira = nullptr;
    NumberEdit *m_nrInreg = nullptr;
    QLineEdit *m_nriPer = nullptr;
    QDateEdit *m_dataInreg = nullptr;
    QLineEdit *m_nume1 = nullptr;
    QLineEdit *m_cnp1 = nullptr;
    QLineEdit *m_adresa1 = nullptr;
    QLineEdit *m_loc1 = nullptr;
    QComboBox *m_jud1 = nullptr;
    QLineEdit *m_mama = nullptr;
    QLineEdit *m_tata = nullptr;
    QLineEdit *m_ciSeria = nullptr;
    QLineEdit *m_ciNr = nullptr;
    QLineEdit *m_ciPol = nullptr;
    QLineEdit *m_actP = nullptr;
    QLineEdit *m_telefon = nullptr;
    QLineEdit *m_email = nullptr;
    QComboBox *m_nume2 = nullptr;
    QLineEdit *m_cnp2 = nullptr;
    QLineEdit *m_adresa2 = nullptr;
    QLineEdit *m_loc2 = nullptr;
    QComboBox *m_jud2 = nullptr;
    NumberEdit *m_valoare = nullptr;
    QComboBox *m_tipPlata = nullptr;
    QPlainTextEdit *m_obs = nullptr;
    QPlainTextEdit *m_notificari = nullptr;
    QPushButton *m_memo = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace ogx
