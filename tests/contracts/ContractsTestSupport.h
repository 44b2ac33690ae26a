#pragma once
// A fresh Data directory with the four tables, a fixed "today" and a scripted prompter.

#include "contracts/ContractService.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Prompter.h"
#include "datastore/Schema.h"
#include "datastore/Workspace.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <deque>
#include <memory>

namespace ogx::test {

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDate d) : day(d) {}
    QDate today() const override { return day; }
    QTime now() const override { return QTime(10, 0); }
    QDate day;
};

struct ScriptedPrompter final : Prompter {
    struct Message { QString title, text; int kind, buttons; };
    std::deque<int> answers; // answers in order; ResultYes when none is left
    QList<Message> messages;
    QStringList hints;
    QList<QWidget *> hintControls;
    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        messages.append({title, text, kind, buttons});
        if (answers.empty())
            return ResultYes;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProblemHint(const QString &text, QWidget *control) override
    {
        hints << text;
        hintControls << control;
    }
};

inline QDate dmy(const char *text) { return QDate::fromString(QLatin1String(text), QStringLiteral("dd.MM.yyyy")); }

class DataFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ws.programDir = dir.path();
        ws.dataDir = ws.localDataDir = dir.path() + QStringLiteral("/Data");
        ws.tempDir = dir.path() + QStringLiteral("/Temp");
        ws.machineDir = dir.path() + QStringLiteral("/machine");
        ws.operatorText = QStringLiteral("PC - test");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.tempDir);
        QDir().mkpath(ws.machineDir);
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
        svc = std::make_unique<ContractService>(*db);
    }

    // A contract that passes every check of the editor.
    static ContractInput validContract()
    {
        ContractInput c;
        c.TIPCON = QStringLiteral("ARENDA");
        c.NRCON = 12;
        c.DATACON = dmy("01.03.2024");
        c.EXPIRA = dmy("01.03.2029");
        c.DATAINREG = dmy("05.03.2024");
        c.NUME1 = QStringLiteral("POPESCU ION");
        c.CNP1 = QStringLiteral("1850302123451");
        c.NUME2 = QStringLiteral("AGRO SRL");
        c.CNP2 = QStringLiteral("18547290");
        c.JUD1 = QStringLiteral("IASI");
        c.JUD2 = QStringLiteral("ALBA");
        c.TIPPLATA = QStringLiteral("LEI");
        c.VALOARE = 500;
        return c;
    }

    static ParcelInput validParcel(double supraf = 1.5)
    {
        ParcelInput p;
        p.TARLADEN = QStringLiteral("LUNCA");
        p.TARLANR = QStringLiteral("T12");
        p.PARCNR = 7;
        p.SUPRAF = supraf;
        p.SUPU = supraf;
        return p;
    }

    qint64 count(const QString &sql, const QVariantList &params = {})
    {
        return db->scalar(sql, params).toLongLong();
    }

    QTemporaryDir dir;
    Workspace ws;
    FixedClock clock{QDate(2026, 12, 10)};
    std::unique_ptr<Database> db;
    std::unique_ptr<ContractService> svc;
};

} // namespace ogx::test
