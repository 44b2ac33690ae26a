#include "widgets/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace ogx {

DialogButtons makeDialogButtons(QDialog *dialog, const QString &acceptCaption)
{
    DialogButtons b;
    b.memo = new QPushButton(acceptCaption, dialog);
    b.memo->setObjectName(QStringLiteral("MemoBut"));
    b.close = new QPushButton(QStringLiteral("&Renunt"), dialog);
    b.close->setObjectName(QStringLiteral("CloseBut"));
    for (QPushButton *button : {b.memo, b.close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    b.layout = new QHBoxLayout;
    b.layout->addStretch();
    b.layout->addWidget(b.memo);
    b.layout->addWidget(b.close);
    QObject::connect(b.close, &QPushButton::clicked, dialog, &QDialog::reject);
    return b;
}

} // namespace ogx
