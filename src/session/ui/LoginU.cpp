#include "session/ui/LoginU.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ogx {

TForm5::TForm5(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Autentificare"));
    setModal(true);

    auto *root = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    auto *icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/res/icons/key.png")).pixmap(32, 32));
    auto *label = new QLabel(QStringLiteral("Introduceti parola"), this);
    label->setObjectName(QStringLiteral("Label1"));
    row->addWidget(icon);
    row->addWidget(label, 1);
    root->addLayout(row);

    m_parola = new QLineEdit(this);
    m_parola->setObjectName(QStringLiteral("Parola"));
    m_parola->setEchoMode(QLineEdit::Password);
    m_parola->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // shown as "*"

    root->addWidget(m_parola);

    auto *buttons = new QHBoxLayout;
    m_verifica = new QPushButton(QStringLiteral("&Verifica"), this);
    m_verifica->setObjectName(QStringLiteral("VerificaBut"));
    m_verifica->setDefault(true);
    auto *inchide = new QPushButton(QStringLiteral("&Inchide"), this);
    inchide->setObjectName(QStringLiteral("InchideBut"));
    inchide->setAutoDefault(false);
    for (QPushButton *b : {m_verifica, inchide})
        b->setCursor(Qt::PointingHandCursor);
    buttons->addStretch(1);
    buttons->addWidget(m_verifica);
    buttons->addWidget(inchide);
    root->addLayout(buttons);
    setFixedWidth(280);

    connect(m_verifica, &QPushButton::clicked, this, &QDialog::accept);
    connect(inchide, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<QString> TForm5::LoginQuery()
{
    m_parola->clear();
    m_parola->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_parola->text();
}

} // namespace ogx
