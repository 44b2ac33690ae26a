#include "documents/ui/AddPretU.h"

#include "datastore/Prompter.h"
#include "documents/SaleOfferDocument.h"
#include "widgets/NumberEdit.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ogx {

TAddPret::TAddPret(Prompter &prompter, QWidget *parent) : QDialog(parent), m_prompter(prompter)
{
    setObjectName(QStringLiteral("AddPret"));
    setWindowTitle(QStringLiteral("Cerere si Oferta de vanzare"));
    m_pret = new NumberEdit(8, 2, false, this);
    m_pret->setObjectName(QStringLiteral("Pret"));
    m_pret->setValue(0);
    m_memo = new QPushButton(QStringLiteral("&Continuare"), this);
    m_memo->setObjectName(QStringLiteral("MemoBut"));
    m_memo->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("&Renunt"), this);
    m_close->setObjectName(QStringLiteral("CloseBut"));
    m_close->setAutoDefault(false);

    auto *form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("Pretul de vanzare (lei)"), this), m_pret);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_memo);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_memo, &QPushButton::clicked, this, &TAddPret::MemoButClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

QString TAddPret::Pret() const { return m_pret->text().trimmed(); }

void TAddPret::MemoButClick()
{
    if (!SalePriceAccepted(Pret())) {
        m_prompter.ShowProblemHint(missingPriceHint(), m_pret);
        return;
    }
    accept();
}

bool TAddPret::Execute()
{
    setResult(QDialog::Rejected);
    m_pret->setFocus();
    return exec() == QDialog::Accepted;
}

void TAddPret::keyPressEvent(QKeyEvent *event)
{
    // Enter moves to the next control; Escape cancels.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == m_pret) {
        focusNextChild();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace ogx
