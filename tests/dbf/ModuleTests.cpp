#include "dbf/Dbf.h"
#include "dbf/Module.h"
#include "dbf/Store.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sqlite3.h>

#include <memory>
#include <string>
#include <vector>

using namespace dbf;

namespace {

// One connection over a Data directory, the way the statement layer builds it.
struct Conn {
    std::unique_ptr<Store> store;
    sqlite3 *db = nullptr;

    explicit Conn(const std::string &dir)
    {
        store = std::make_unique<Store>(dir);
        sqlite3_open(":memory:", &db);
        registerModule(db, store.get());
        registerExactSum(db);
    }
    ~Conn() { sqlite3_close(db); }

    void attach(const std::string &name, const std::string &file)
    {
        exec("CREATE VIRTUAL TABLE temp." + name + " USING dbf('" + store->dir() + "/" + file + "')");
    }
    // Runs SQL; returns "" or the error message.
    std::string exec(const std::string &sql)
    {
        char *err = nullptr;
        const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
        std::string m = err ? err : (rc == SQLITE_OK ? "" : sqlite3_errmsg(db));
        sqlite3_free(err);
        return m;
    }
    // Rows as "a|b|c" lines.
    std::vector<std::string> rows(const std::string &sql)
    {
        std::vector<std::string> out;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
            return out;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            std::string line;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                if (i)
                    line += "|";
                const auto *t = sqlite3_column_text(st, i);
                line += t ? reinterpret_cast<const char *>(t) : "NULL";
            }
            out.push_back(line);
        }
        sqlite3_finalize(st);
        return out;
    }
    std::string one(const std::string &sql)
    {
        const auto r = rows(sql);
        return r.empty() ? "<none>" : r.front();
    }
};

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = tmp.path().toStdString();
        createTable(dir + "/Contract.dbf",
                    Layout({Field::number("IDCON", 10, 0), Field::text("NUME1", 40), Field::date("DATACON"),
                            Field::number("SUPRAFT", 10, 4)}),
                    todayLocal());
        createTable(dir + "/Parcele.dbf",
                    Layout({Field::number("IDCON", 10, 0), Field::number("IDPARC", 10, 0),
                            Field::number("SUPRAF", 10, 4), Field::text("TARLADEN", 32)}),
                    todayLocal());
        c = std::make_unique<Conn>(dir);
        c->attach("Contract", "Contract.dbf");
        c->attach("Parcele", "Parcele.dbf");
    }
    std::string file(const std::string &name) { return readWholeFile(dir + "/" + name); }

    QTemporaryDir tmp;
    std::string dir;
    std::unique_ptr<Conn> c;
};

} // namespace

TEST_F(ModuleTest, InsertSelectUpdateDeleteReachTheFile)
{
    ASSERT_EQ(c->exec("INSERT INTO Contract VALUES (1, 'Ion Popescu', '2024-03-01', 1.5),"
                      " (2, 'Șerban Ţepeş', NULL, '2.25'), (3, 'Ana', '2023-12-31', NULL)"),
              "");
    EXPECT_EQ(c->rows("SELECT rowid, * FROM Contract"),
              (std::vector<std::string>{"1|1|Ion Popescu|2024-03-01|1.5", "2|2|Şerban Ţepeş|NULL|2.25",
                                        "3|3|Ana|2023-12-31|NULL"}));
    ASSERT_EQ(c->exec("UPDATE Contract SET SUPRAFT = SUPRAFT * 2 WHERE IDCON = 2"), "");
    ASSERT_EQ(c->exec("DELETE FROM Contract WHERE NUME1 = 'Ana'"), "");
    EXPECT_EQ(c->one("SELECT COUNT(*), SUM(SUPRAFT) FROM Contract"), "2|6.0");
    EXPECT_EQ(c->one("SELECT typeof(IDCON), typeof(SUPRAFT), typeof(DATACON), typeof(NUME1) FROM Contract"),
              "integer|real|text|text");

    const Table t = Table::load(dir + "/Contract.dbf");
    ASSERT_EQ(t.recordCount(), 3u);
    EXPECT_TRUE(t.isDeleted(2));
    EXPECT_EQ(std::string(t.record(1), t.recordLength()),
              " " + std::string("         2") + "\xAA" "erban \xDE" "epe\xBA" + std::string(28, ' ') + "        " +
                  "    4.5000");
    // Another connection (another program) sees all of it.
    Conn other(dir);
    other.attach("C", "Contract.dbf");
    EXPECT_EQ(other.one("SELECT group_concat(IDCON) FROM C"), "1,2");
    // DROP TABLE never deletes the file.
    ASSERT_EQ(other.exec("DROP TABLE C"), "");
    EXPECT_EQ(Table::load(dir + "/Contract.dbf").recordCount(), 3u);
}

TEST_F(ModuleTest, BadValuesFailTheStatementAndWriteNothing)
{
    ASSERT_EQ(c->exec("INSERT INTO Contract VALUES (1, 'A', '2024-01-01', 1), (2, 'B', '2024-01-01', 2),"
                      " (3, 'C', '2024-01-01', 3), (4, 'D', '2024-01-01', 4)"),
              "");
    const std::string before = file("Contract.dbf");
    struct Case {
        std::string sql;
        std::string message;
    };
    const Case cases[] = {
        {"INSERT INTO Contract (IDCON, SUPRAFT) VALUES (5, 123456.5)", "Contract.dbf: value 123456.5000 is too wide for column SUPRAFT N(10,4)"},
        {"INSERT INTO Contract (IDCON, DATACON) VALUES (5, '2024-02-30')", "not a date"},
        {"INSERT INTO Contract (IDCON, DATACON) VALUES (5, '01.03.2024')", "not a date"},
        {"INSERT INTO Contract (IDCON, NUME1) VALUES (5, 'Иван')", "U+0418 is not in code page 1250"},
        {"UPDATE Contract SET SUPRAFT = CASE WHEN IDCON = 3 THEN 1e9 ELSE 7 END", "too wide"},
        {"UPDATE Contract SET rowid = 9 WHERE IDCON = 1", "rowid"},
        {"INSERT INTO Contract (rowid, IDCON) VALUES (9, 9)", "rowid"},
    };
    for (const Case &k : cases) {
        const std::string err = c->exec(k.sql);
        EXPECT_NE(err.find(k.message), std::string::npos) << k.sql << " -> " << err;
        EXPECT_EQ(file("Contract.dbf"), before) << k.sql;
    }
    // A failure at the third row of a transaction's statement undoes that statement only.
    ASSERT_EQ(c->exec("BEGIN"), "");
    ASSERT_EQ(c->exec("INSERT INTO Parcele VALUES (1, 1, 0.5, 'T1')"), "");
    EXPECT_NE(c->exec("UPDATE Contract SET SUPRAFT = CASE WHEN IDCON = 3 THEN 1e9 ELSE 7 END"), "");
    ASSERT_EQ(c->exec("COMMIT"), "");
    EXPECT_EQ(file("Contract.dbf"), before);
    EXPECT_EQ(c->one("SELECT group_concat(SUPRAFT) FROM Contract"), "1.0,2.0,3.0,4.0");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Parcele"), "1");
}

TEST_F(ModuleTest, SavepointsAndRollbackUndoInMemory)
{
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON) VALUES (1)"), "");
    const std::string before = file("Contract.dbf");
    ASSERT_EQ(c->exec("BEGIN"), "");
    ASSERT_EQ(c->exec("UPDATE Contract SET NUME1 = 'X'"), "");
    ASSERT_EQ(c->exec("SAVEPOINT a"), "");
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON) VALUES (2)"), "");
    ASSERT_EQ(c->exec("INSERT INTO Parcele (IDCON) VALUES (2)"), ""); // joins after the savepoint
    ASSERT_EQ(c->exec("ROLLBACK TO a"), "");
    EXPECT_EQ(c->one("SELECT group_concat(IDCON || NUME1) FROM Contract"), "1X");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Parcele"), "0");
    ASSERT_EQ(c->exec("ROLLBACK"), "");
    EXPECT_EQ(file("Contract.dbf"), before);
    EXPECT_EQ(c->one("SELECT group_concat(IDCON || '[' || NUME1 || ']') FROM Contract"), "1[]");

    ASSERT_EQ(c->exec("BEGIN"), "");
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON) VALUES (2)"), "");
    ASSERT_EQ(c->exec("SAVEPOINT b"), "");
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON) VALUES (3)"), "");
    ASSERT_EQ(c->exec("RELEASE b"), "");
    ASSERT_EQ(c->exec("COMMIT"), "");
    EXPECT_EQ(Table::load(dir + "/Contract.dbf").recordCount(), 3u);
}

TEST_F(ModuleTest, EqualityLookupsUseIndexesThatFollowChanges)
{
    std::string sql = "INSERT INTO Contract (IDCON, NUME1) VALUES ";
    std::string parcels = "INSERT INTO Parcele (IDCON, IDPARC, SUPRAF) VALUES ";
    for (int i = 1; i <= 300; ++i) {
        sql += (i > 1 ? "," : "") + std::string("(") + std::to_string(i) + ", 'N" + std::to_string(i % 7) + "')";
        for (int k = 0; k < 3; ++k)
            parcels += (i > 1 || k > 0 ? "," : "") + std::string("(") + std::to_string(i) + "," +
                       std::to_string(i * 10 + k) + ", 0.1)";
    }
    ASSERT_EQ(c->exec(sql), "");
    ASSERT_EQ(c->exec(parcels), "");

    const auto plan = c->rows("EXPLAIN QUERY PLAN SELECT * FROM Contract C LEFT JOIN Parcele P ON P.IDCON = C.IDCON");
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_NE(plan[1].find("VIRTUAL TABLE INDEX 2:"), std::string::npos) << plan[1];
    EXPECT_EQ(c->one("SELECT COUNT(*), SUM(P.SUPRAF) FROM Contract C LEFT JOIN Parcele P ON P.IDCON = C.IDCON"),
              "900|90.0");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE NUME1 = 'N3'"), "43");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE IDCON = '17'"), "1");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE IDCON IN (1, 2, 999)"), "2");
    EXPECT_EQ(c->one("SELECT IDCON FROM Contract WHERE rowid = 5"), "5");

    // Prefix searches: LIKE 'n1%' is case-insensitive for ASCII letters.
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE NUME1 LIKE 'n1%'"), "43");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE NUME1 LIKE 'N_'"), "300");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE NUME1 LIKE '%3'"), "43");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE NUME1 LIKE 'Ş%'"), "0");
    const auto likePlan = c->rows("EXPLAIN QUERY PLAN SELECT * FROM Contract WHERE NUME1 LIKE ?");
    EXPECT_NE(likePlan[0].find("INDEX 100001:"), std::string::npos) << likePlan[0];
    ASSERT_EQ(c->exec("UPDATE Contract SET NUME1 = 'Nou' WHERE IDCON = 1"), "");
    EXPECT_EQ(c->one("SELECT group_concat(IDCON) FROM Contract WHERE NUME1 LIKE 'no%'"), "1");

    ASSERT_EQ(c->exec("UPDATE Contract SET IDCON = 1000 WHERE IDCON = 17"), "");
    ASSERT_EQ(c->exec("DELETE FROM Contract WHERE IDCON = 18"), "");
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON, NUME1) VALUES (17, 'new')"), "");
    EXPECT_EQ(c->one("SELECT group_concat(NUME1) FROM Contract WHERE IDCON = 17"), "new");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE IDCON = 1000"), "1");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Contract WHERE IDCON = 18"), "0");
    // The correlated update of the schema upgrade.
    ASSERT_EQ(c->exec("UPDATE Contract AS C SET SUPRAFT = (SELECT SUM(SUPRAF) FROM Parcele P WHERE P.IDCON = C.IDCON)"), "");
    EXPECT_EQ(c->one("SELECT SUPRAFT FROM Contract WHERE IDCON = 5"), "0.3");
    EXPECT_EQ(c->one("SELECT SUPRAFT FROM Contract WHERE IDCON = 1000"), "NULL");
    // INSERT ... SELECT from the same table.
    ASSERT_EQ(c->exec("INSERT INTO Parcele SELECT IDCON + 1000, IDPARC, SUPRAF, TARLADEN FROM Parcele WHERE IDCON < 3"), "");
    EXPECT_EQ(c->one("SELECT COUNT(*) FROM Parcele"), "906");
}

TEST_F(ModuleTest, UnchangedColumnsKeepTheirBytes)
{
    // A record as another program wrote it: the number left-aligned.
    Table t = Table::load(dir + "/Contract.dbf");
    char *rec = t.record(t.appendBlank());
    std::memcpy(rec + 1, "7         ", 10);
    std::memcpy(rec + 1 + 10 + 40 + 8, "1.5       ", 10);
    writeFileAtomically(dir + "/Contract.dbf", t.serialize({2024, 1, 1}));
    ASSERT_EQ(c->exec("UPDATE Contract SET NUME1 = 'nou' WHERE IDCON = 7"), "");
    const Table after = Table::load(dir + "/Contract.dbf");
    EXPECT_EQ(std::string(after.record(0) + 1, 10), "7         ");
    EXPECT_EQ(std::string(after.record(0) + 59, 10), "1.5       ");
    EXPECT_EQ(decodeText(after.layout().field(1), after.record(0)), "nou");
}

TEST_F(ModuleTest, ExactSumOfMoney)
{
    ASSERT_EQ(c->exec("BEGIN"), "");
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(c->db, "INSERT INTO Parcele (IDCON, SUPRAF) VALUES (?, ?)", -1, &st, nullptr);
    for (int i = 0; i < 4000; ++i) {
        sqlite3_bind_int(st, 1, i);
        sqlite3_bind_double(st, 2, 0.1);
        ASSERT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ASSERT_EQ(c->exec("COMMIT"), "");
    EXPECT_EQ(c->one("SELECT SUM(SUPRAF) = 400.0, SUM(IDCON), typeof(SUM(IDCON)) FROM Parcele"), "1|7998000|integer");
    EXPECT_EQ(c->one("SELECT SUM(SUPRAF) FROM Parcele WHERE IDCON < 0"), "NULL");
    // Stored decimals read back as the same doubles the literals give.
    ASSERT_EQ(c->exec("INSERT INTO Contract (IDCON, SUPRAFT) VALUES (1, 0.3), (2, 1234.5678), (3, -0.0001), (4, 99999.9999)"), "");
    EXPECT_EQ(c->one("SELECT group_concat(SUPRAFT IN (0.3, 1234.5678, -0.0001, 99999.9999)) FROM Contract"), "1,1,1,1");
    EXPECT_EQ(c->one("SELECT XSUM(x) = 0.3 FROM (SELECT 0.1 AS x UNION ALL SELECT 0.2)"), "1");
    EXPECT_EQ(c->one("SELECT group_concat(s) FROM (SELECT SUM(x) OVER (ORDER BY x ROWS 1 PRECEDING) AS s FROM "
                     "(SELECT 0.1 AS x UNION ALL SELECT 0.2 UNION ALL SELECT 0.3))"),
              "0.1,0.3,0.5");
}
