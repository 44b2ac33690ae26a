#include "documents/ui/AddPretU.h"

#include "datastore/Prompter.h"
#include "documents/SaleOfferDocument.h"
#include "widgets/DialogButtons.h"
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
    const DialogButtons buttons = makeDialogButtons(this, QStringLiteral("&Continuare"));
    m_memo = buttons.memo;
    m_close = buttons.close;

    auto *form = new QFormLayout;
    form->addRow(new QLabel(QStringLiteral("Pretul de vanzare (lei)"), this), m_pret);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.layout);

    connect(m_memo, &QPushButton::clicked, this, &TAddPret::MemoButClick);
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
