// The log window over a real Data directory.

#include "datastore/ActionLog.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "session/ui/LogViewU.h"
#include "widgets/ResultSetModel.h"
#include "widgets/DataGrid.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ogx;

TEST(TLogView, ShowsTheLogInIdentifierOrderAndClosesItsQuery)
{
    QTemporaryDir tmp;
    Workspace ws;
    ws.programDir = tmp.path();
    ws.dataDir = tmp.path() + QStringLiteral("/Data");
    ws.localDataDir = ws.dataDir;
    ws.machineDir = tmp.path();
    ws.operatorText = QStringLiteral("STATIA-PRIMARIE - operator");
    QDir().mkpath(ws.dataDir);
    SystemClock clock(QDate(2026, 3, 8));
    Database db(ws, &clock);
    CreateTables(db);
    const Settings s(ws);
    WriteLog(db, QStringLiteral("Pornire Contracte Ogorix"));
    s.SetNextId(QStringLiteral("IDLOG"), 10);
    WriteLog(db, QStringLiteral("Inchidere Contracte Ogorix"));
    s.SetNextId(QStringLiteral("IDLOG"), 5);
    WriteLog(db, QStringLiteral("Adaugare Contract Nr.12 / 01.03.2024, ION."));

    TLogView view;
    view.setDatabase(&db);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Istoric modificari date"));
    EXPECT_EQ(view.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Ultimele actiuni facute in program"));
    ResultSetModel *m = view.model();
    ASSERT_EQ(m->columnCount(), 4);
    const QStringList titles{QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Actiunea"), QStringLiteral("Operator")};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
    // "Actiunea" is the widest column.
    for (int c : {0, 1, 3})
        EXPECT_GT(view.grid()->columnWidth(2), view.grid()->columnWidth(c));

    bool checked = false;
    QTimer::singleShot(0, &view, [&] {
        ASSERT_EQ(m->rowCount(), 3);
        EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("Pornire Contracte Ogorix"));
        EXPECT_EQ(m->index(1, 2).data().toString(), QStringLiteral("Adaugare Contract Nr.12 / 01.03.2024, ION."));
        EXPECT_EQ(m->index(2, 2).data().toString(), QStringLiteral("Inchidere Contracte Ogorix"));
        EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("08.03.2026"));
        EXPECT_EQ(m->index(0, 3).data().toString(), QStringLiteral("STATIA-PRIMARIE")); // cut at 16, trailing blank dropped
        EXPECT_EQ(view.grid()->currentRow(), 0);
        checked = true;
        QTest::keyClick(&view, Qt::Key_Escape);
    });
    view.ShowLog();
    EXPECT_TRUE(checked);
    EXPECT_EQ(m->rowCount(), 0) << "the query is closed with the window";
}
