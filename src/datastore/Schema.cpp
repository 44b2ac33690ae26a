#include "datastore/Schema.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"

#include "dbf/Store.h"

namespace ogx {

using dbf::Field;

const std::vector<Field> &contractLayout()
{
    static const std::vector<Field> f = {
        Field::number("IDCON", 10, 0),  Field::text("TIPCON", 32),     Field::number("NRCON", 12, 0),
        Field::text("NRCPER", 12),      Field::date("DATACON"),        Field::number("NRINREG", 12, 0),
        Field::text("NRIPER", 12),      Field::date("DATAINREG"),      Field::date("EXPIRA"),
        Field::text("NUME1", 40),       Field::text("CNP1", 13),       Field::text("ADRESA1", 80),
        Field::text("LOC1", 24),        Field::text("JUD1", 24),       Field::text("MAMA", 24),
        Field::text("TATA", 24),        Field::text("CISERIA", 4),     Field::text("CINR", 10),
        Field::text("CIPOL", 32),       Field::text("ACTP", 240),      Field::text("TELEFON", 25),
        Field::text("EMAIL", 60),       Field::text("NOTIFICARI", 200), Field::text("NUME2", 250),
        Field::text("CNP2", 13),        Field::text("ADRESA2", 80),    Field::text("LOC2", 24),
        Field::text("JUD2", 24),        Field::number("SUPRAFT", 10, 4), Field::number("VALOARE", 12, 4),
        Field::text("OBS", 254),        Field::text("TIPPLATA", 10),   Field::text("FISIER", 160),
    };
    return f;
}

const std::vector<Field> &parceleLayout()
{
    static const std::vector<Field> f = {
        Field::number("IDCON", 10, 0),  Field::number("IDPARC", 10, 0), Field::text("ACT", 32),
        Field::text("TARLADEN", 32),    Field::text("TARLANR", 32),     Field::number("PARCNR", 10, 0),
        Field::text("PARCDET", 20),     Field::number("APARCNR", 6, 0), Field::text("ACULTNR", 4),
        Field::number("BLOCF", 10, 0),  Field::text("NRCAD", 30),       Field::text("NRCADOLD", 30),
        Field::text("CATEG", 40),       Field::text("CULTURA", 40),     Field::number("SUPRAF", 10, 4),
        Field::number("SUPU", 10, 4),   Field::text("VECINN", 100),     Field::text("VECINE", 100),
        Field::text("VECINS", 100),     Field::text("VECINV", 100),     Field::text("LOCALIT", 32),
        Field::number("SIRUTA", 6, 0),
    };
    return f;
}

const std::vector<Field> &plati2Layout()
{
    static const std::vector<Field> f = {
        Field::number("IDCON", 10, 0),   Field::number("IDPLATA", 10, 0), Field::number("TIPPLATA", 6, 0),
        Field::text("DOCJUS", 32),       Field::text("NRP", 12),          Field::date("DATAP"),
        Field::number("ANAFERENT", 6, 0), Field::text("PRODUS", 32),      Field::text("UM", 5),
        Field::number("BUC", 10, 2),     Field::number("PRETU", 10, 2),   Field::number("DEPLATA", 10, 2),
        Field::number("PLATA", 10, 2),   Field::text("SCOP", 240),
    };
    return f;
}

const std::vector<Field> &logLayout()
{
    static const std::vector<Field> f = {
        Field::number("IDLOG", 10, 0), Field::date("DATAL"), Field::text("ORA", 12), Field::text("ACTIUNE", 120),
        Field::text("UTILIZATOR", 16),
    };
    return f;
}

const std::vector<Field> &tableLayout(const QString &table)
{
    if (table.compare(QStringLiteral("Contract"), Qt::CaseInsensitive) == 0)
        return contractLayout();
    if (table.compare(QStringLiteral("Parcele"), Qt::CaseInsensitive) == 0)
        return parceleLayout();
    if (table.compare(QStringLiteral("Plati2"), Qt::CaseInsensitive) == 0)
        return plati2Layout();
    if (table.compare(QStringLiteral("Log"), Qt::CaseInsensitive) == 0)
        return logLayout();
    throw Error(QStringLiteral("Unknown table %1").arg(table));
}

void CreateTables(Database &db)
{
    const QDate today = db.clock().today();
    const dbf::Date d{today.year(), today.month(), today.day()};
    for (const QString &name : Database::tableNames()) {
        if (db.tableExists(name)) {
            if (!db.isAttached(name))
                db.attachTable(name);
            continue;
        }
        // Under the write lock, so two workstations starting at once create it once.
        dbf::Store &store = db.store();
        try {
            store.acquire(dbf::Store::Mode::Exclusive);
        } catch (const std::exception &e) {
            throw Error(QString::fromStdString(e.what()));
        }
        try {
            if (!db.tableExists(name))
                dbf::createTable(db.tablePath(name).toStdString(), dbf::Layout(tableLayout(name)), d);
        } catch (const std::exception &e) {
            store.release();
            throw Error(QString::fromStdString(e.what()));
        }
        store.release();
        db.attachTable(name);
    }
}

} // namespace ogx
