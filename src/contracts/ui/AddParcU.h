#pragma once
// TAddParc: the parcel editor. A modal dialog that edits one parcel of a contract and
// checks it (zero surface, missing parcel number, the same parcel leased in an
// overlapping period); it never writes the tables.

#include "contracts/ContractService.h"
#include "datastore/Prompter.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ogx {

class EnterTab;
class NumberEdit;

class TAddParc : public QDialog {
    Q_OBJECT
public:
    TAddParc(ContractService &service, Prompter &prompter, QWidget *parent = nullptr);

    // Reloads the five item lists from the parcels and sets every input to its new-parcel
    // value.
    void ClearFields();
    // The read-only header: the contract the parcel belongs to.
    void setContract(const ContractRecord &c);
    // Fills every input from a stored parcel (the surface before the usable surface).
    void setValues(const ParcelInput &p);
    ParcelInput values() const;

    // `id` "-1" for a new parcel, else its IDPARC; the contract's end and start dates are
    // those of the overlap check. Shows the dialog modally; true when accepted.
    bool Execute(const QString &id, const QDate &expira, const QDate &datacon);
    void prepare(const QString &id, const QDate &expira, const QDate &datacon);
    bool result_() const { return m_result; }

    // "&Memoreaza": checks and accepts.
    void MemoButClick();

    QWidget *input(const QString &name) const;
    QLabel *contractLabel() const { return m_contractL; }

private:
    void buildForm();

    ContractService &m_service;
    Prompter &m_prompter;
    qint64 m_id = -1;
    QDate m_expira, m_datacon;
    bool m_result = false;
    EnterTab *m_enter = nullptr;

    QLabel *m_contractL = nullptr;
    QLabel *m_dataL = nullptr;
    QLabel *m_nume1L = nullptr;
    QLabel *m_nume2L = nullptr;
    QLineEdit *m_act = nullptr;
    QComboBox *m_tarlaDen = nullptr;
    QLineEdit *m_tarlaNr = nullptr;
    NumberEdit *m_parcNr = nullptr;
    QLineEdit *m_parcDet = nullptr;
    NumberEdit *m_blocF = nullptr;
    QLineEdit *m_nrCad = nullptr;
    QLineEdit *m_nrCadOld = nullptr;
    NumberEdit *m_supraf = nullptr;
    NumberEdit *m_supu = nullptr;
    QComboBox *m_categ = nullptr;
    QComboBox *m_cultura = nullptr;
    QComboBox *m_localit = nullptr;
    QComboBox *m_siruta = nullptr;
    NumberEdit *m_aparcNr = nullptr;
    QLineEdit *m_vecinN = nullptr;
    QLineEdit *m_vecinE = nullptr;
    QLineEdit *m_vecinS = nullptr;
    QLineEdit *m_vecinV = nullptr;
    QComboBox *m_acultNr = nullptr;
    QPushButton *m_memo = nullptr;
    QPushButton *m_close = nullptr;
};

} // namespace ogx
