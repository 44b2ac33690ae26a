// Crash safety and concurrent writers, with real processes.
#include "dbf/Dbf.h"
#include "dbf/Module.h"
#include "dbf/Store.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dbf;

namespace {

struct Conn {
    std::unique_ptr<Store> store;
    sqlite3 *db = nullptr;
    explicit Conn(const std::string &dir) : store(std::make_unique<Store>(dir))
    {
        sqlite3_open(":memory:", &db);
        registerModule(db, store.get());
        exec("CREATE VIRTUAL TABLE temp.Contract USING dbf('" + dir + "/Contract.dbf')");
        exec("CREATE VIRTUAL TABLE temp.Parcele USING dbf('" + dir + "/Parcele.dbf')");
    }
    ~Conn() { sqlite3_close(db); }
    int exec(const std::string &sql)
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK)
            std::fprintf(stderr, "%s: %s\n", sql.c_str(), err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        return rc;
    }
    std::string one(const std::string &sql)
    {
        sqlite3_stmt *st = nullptr;
        std::string out = "<error>";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
            const auto *t = sqlite3_column_text(st, 0);
            out = t ? reinterpret_cast<const char *>(t) : "NULL";
        }
        sqlite3_finalize(st);
        return out;
    }
};

void makeTables(const std::string &dir, int rows)
{
    createTable(dir + "/Contract.dbf",
                Layout({Field::number("IDCON", 10, 0), Field::text("NUME1", 40), Field::number("N", 10, 0)}),
                todayLocal());
    createTable(dir + "/Parcele.dbf", Layout({Field::number("IDCON", 10, 0), Field::number("IDPARC", 10, 0)}),
                todayLocal());
    Conn c(dir);
    c.exec("BEGIN");
    for (int i = 1; i <= rows; ++i) {
        c.exec("INSERT INTO Contract VALUES (" + std::to_string(i) + ", 'Nume " + std::to_string(i) + "', 0)");
        c.exec("INSERT INTO Parcele VALUES (" + std::to_string(i) + ", " + std::to_string(i) + ")");
    }
    c.exec("COMMIT");
}

// The change under test touches both tables: overwrites, a delete and appends.
int change(Conn &c)
{
    int rc = c.exec("BEGIN");
    rc |= c.exec("UPDATE Contract SET NUME1 = 'schimbat ' || IDCON WHERE IDCON % 3 = 0");
    rc |= c.exec("DELETE FROM Contract WHERE IDCON = 2");
    rc |= c.exec("INSERT INTO Contract VALUES (100, 'nou', 1)");
    rc |= c.exec("INSERT INTO Parcele SELECT IDCON + 100, IDPARC + 100 FROM Parcele WHERE IDCON < 5");
    rc |= c.exec("UPDATE Parcele SET IDPARC = -IDPARC WHERE IDCON = 7");
    rc |= c.exec("COMMIT");
    return rc;
}

struct Snapshot {
    std::string contract, parcele;
    bool operator==(const Snapshot &) const = default;
};
Snapshot snapshot(const std::string &dir)
{
    return {readWholeFile(dir + "/Contract.dbf"), readWholeFile(dir + "/Parcele.dbf")};
}

const char *g_crashAt = nullptr;
void crashHook(const char *point)
{
    if (g_crashAt && std::strcmp(point, g_crashAt) == 0)
        _exit(42);
}

bool exists(const std::string &path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

TEST(Journal, AKilledCommitLeavesTheTablesWhollyBeforeOrAfter)
{
    QTemporaryDir ref;
    makeTables(ref.path().toStdString(), 20);
    const Snapshot before = snapshot(ref.path().toStdString());
    {
        Conn c(ref.path().toStdString());
        ASSERT_EQ(change(c), SQLITE_OK);
    }
    const Snapshot after = snapshot(ref.path().toStdString());
    ASSERT_FALSE(before == after);

    for (const char *point : {"journal-written", "mid-data", "before-journal-delete"}) {
        SCOPED_TRACE(point);
        QTemporaryDir work;
        const std::string dir = work.path().toStdString();
        makeTables(dir, 20);
        ASSERT_TRUE(snapshot(dir) == before);
        const pid_t pid = fork();
        if (pid == 0) {
            g_crashAt = point;
            setFailHook(crashHook);
            Conn c(dir);
            change(c);
            _exit(0); // the fail point was not reached
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 42);
        ASSERT_TRUE(exists(dir + "/Ogorix.jnl"));

        // The next program to open the directory rolls the journal back.
        Conn next(dir);
        EXPECT_EQ(next.one("SELECT COUNT(*) FROM Contract"), "20");
        EXPECT_FALSE(exists(dir + "/Ogorix.jnl"));
        const Snapshot now = snapshot(dir);
        EXPECT_TRUE(now == before);
        // ... and can commit the change afterwards.
        ASSERT_EQ(change(next), SQLITE_OK);
        EXPECT_TRUE(snapshot(dir) == after);
    }
}

TEST(Journal, AJournalWithABadChecksumIsDiscarded)
{
    QTemporaryDir work;
    const std::string dir = work.path().toStdString();
    makeTables(dir, 3);
    const Snapshot before = snapshot(dir);
    // A journal cut short while it was written: the tables were never touched.
    std::string junk = "OGXJNL01" + std::string(40, '\x07');
    FILE *f = std::fopen((dir + "/Ogorix.jnl").c_str(), "wb");
    std::fwrite(junk.data(), 1, junk.size(), f);
    std::fclose(f);
    Conn c(dir);
    EXPECT_EQ(c.one("SELECT COUNT(*) FROM Parcele"), "3");
    EXPECT_FALSE(exists(dir + "/Ogorix.jnl"));
    EXPECT_TRUE(snapshot(dir) == before);
}

TEST(Journal, TwoProcessesWritingAtOnceLoseNothing)
{
    QTemporaryDir work;
    const std::string dir = work.path().toStdString();
    makeTables(dir, 1);
    constexpr int kEach = 150;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            Conn c(dir);
            int failures = 0;
            for (int i = 0; i < kEach; ++i) {
                // A new identifier from the table itself, and a shared counter.
                failures += c.exec("INSERT INTO Parcele SELECT 9, MAX(IDPARC) + 1 FROM Parcele") != SQLITE_OK;
                failures += c.exec("UPDATE Contract SET N = N + 1 WHERE IDCON = 1") != SQLITE_OK;
                if (i % 10 == 0) {
                    failures += c.exec("BEGIN") != SQLITE_OK;
                    failures += c.exec("UPDATE Contract SET N = N + 1 WHERE IDCON = 1") != SQLITE_OK;
                    failures += c.exec("UPDATE Contract SET N = N - 1 WHERE IDCON = 1") != SQLITE_OK;
                    failures += c.exec("COMMIT") != SQLITE_OK;
                }
            }
            _exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Conn c(dir);
    EXPECT_EQ(c.one("SELECT N FROM Contract WHERE IDCON = 1"), std::to_string(2 * kEach));
    EXPECT_EQ(c.one("SELECT COUNT(*) || '/' || COUNT(DISTINCT IDPARC) FROM Parcele"),
              std::to_string(2 * kEach + 1) + "/" + std::to_string(2 * kEach + 1));
    const Table t = Table::load(dir + "/Parcele.dbf");
    EXPECT_EQ(t.recordCount(), 2u * kEach + 1);
}
