#include "session/ui/LogViewU.h"

#include "datastore/Database.h"
#include "widgets/ResultSetModel.h"
#include "widgets/DataGrid.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ogx {

TLogView::TLogView(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Istoric modificari date"));
    setModal(true);
    resize(780, 440);

    auto *root = new QVBoxLayout(this);
    auto *heading = new QLabel(QStringLiteral("Ultimele actiuni facute in program"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    QFont f = heading->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    heading->setFont(f);
    root->addWidget(heading);

    m_model = new ResultSetModel({{QStringLiteral("DATAL"), QStringLiteral("Data")},
                                  {QStringLiteral("ORA"), QStringLiteral("Ora")},
                                  {QStringLiteral("ACTIUNE"), QStringLiteral("Actiunea")},
                                  {QStringLiteral("UTILIZATOR"), QStringLiteral("Operator")}},
                                 this);
    m_grid = new DataGrid(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_model);
    m_grid->setColumnWidths({80, 70, 440, 140});
    m_grid->horizontalHeader()->setStretchLastSection(false);
    root->addWidget(m_grid, 1);

    auto *buttons = new QHBoxLayout;
    auto *close = new QPushButton(QStringLiteral("&Inchide"), this);
    close->setObjectName(QStringLiteral("CloseBut"));
    close->setCursor(Qt::PointingHandCursor);
    buttons->addStretch(1);
    buttons->addWidget(close);
    root->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TLogView::openQuery()
{
    if (!m_db)
        return;
    m_model->setRows(m_db->query(QStringLiteral("SELECT * FROM Log ORDER BY IDLOG")));
    m_grid->selectRow(0);
}

void TLogView::closeQuery()
{
    m_model->setRows(ResultSet());
}

int TLogView::ShowLog()
{
    openQuery();
    const int r = exec();
    closeQuery();
    return r;
}

} // namespace ogx
