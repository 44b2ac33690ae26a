#include "session/ui/EditPassU.h"

#include "datastore/Helpers.h"
#include "session/ui/UpperCase.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ogx {

TEditPassF::TEditPassF(Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_prompter(prompter)
{
    setObjectName(QStringLiteral("EditPassF"));
    setWindowTitle(QStringLiteral("Schimbare parola"));
    setModal(true);

    auto *root = new QVBoxLayout(this);
    root->addWidget(new QLabel(QStringLiteral("Parola noua"), this));
    m_parola = new QLineEdit(this);
    m_parola->setObjectName(QStringLiteral("Parola"));
    m_parola->setMaxLength(40);
    makeUpperCase(m_parola);
    m_parola->installEventFilter(this);
    root->addWidget(m_parola);

    auto *buttons = new QHBoxLayout;
    auto *memo = new QPushButton(QStringLiteral("&Memoreaza"), this);
    memo->setObjectName(QStringLiteral("MemoBut"));
    auto *close = new QPushButton(QStringLiteral("&Renunt"), this);
    close->setObjectName(QStringLiteral("CloseBut"));
    for (QPushButton *b : {memo, close}) {
        b->setAutoDefault(true); // Enter on a focused button presses it
        b->setCursor(Qt::PointingHandCursor);
    }
    buttons->addStretch(1);
    buttons->addWidget(memo);
    buttons->addWidget(close);
    root->addLayout(buttons);
    setFixedWidth(300);

    connect(memo, &QPushButton::clicked, this, &TEditPassF::MemoButClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

bool TEditPassF::Execute()
{
    m_parola->clear();
    m_parola->setFocus();
    return exec() == QDialog::Accepted;
}

QString TEditPassF::text() const
{
    return m_parola->text();
}

void TEditPassF::MemoButClick()
{
    const QString cleaned = CleanText(m_parola->text());
    m_parola->setText(cleaned);
    if (cleaned.isEmpty()) {
        m_prompter.ShowProblemHint(QStringLiteral("Nu ati scris nicio parola!"), m_parola);
        return;
    }
    accept();
}

bool TEditPassF::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_parola && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ogx
