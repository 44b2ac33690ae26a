#include "datastore/Upgrade.h"

#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Prompter.h"
#include "datastore/Settings.h"

#include <QDir>
#include <QFile>

namespace ogx {

namespace {

using dbf::Field;

constexpr double kRunningVersion = Workspace::kVersion;

// Deletes files of the Data directory, names compared without regard to case.
void deleteDataFiles(Database &db, const QStringList &names)
{
    const QString dir = db.workspace().dataDir;
    const QStringList entries = QDir(dir).entryList(QDir::Files);
    for (const QString &n : names)
        for (const QString &e : entries)
            if (e.compare(n, Qt::CaseInsensitive) == 0)
                QFile::remove(dir + u'/' + e);
}

struct Probe {
    bool platiHasNumara = false;
    bool parcLacksCateg = false, parcLacksVecinn = false, parcLacksAparcnr = false, parcLacksNrcad = false;
    bool parcLacksLocalit = false, parcAcultnrNarrow = false, parcLacksAct = false, parcLacksNrcadold = false;
    bool contracteExists = false;
    bool conLacksNrinreg = false, conLacksObs = false, conLacksTipcon = false, conNume2Narrow = false;
    bool conLacksFisier = false, conLacksNrcper = false, conLacksTelefon = false, conLacksNotificari = false;

    bool anyColumnStep() const
    {
        return platiHasNumara || parcLacksCateg || parcLacksVecinn || parcLacksAparcnr || parcLacksNrcad ||
               parcLacksLocalit || parcAcultnrNarrow || parcLacksAct || parcLacksNrcadold || conLacksNrinreg ||
               conLacksObs || conLacksTipcon || conNume2Narrow || conLacksFisier || conLacksNrcper ||
               conLacksTelefon || conLacksNotificari;
    }
};

Probe probe(Database &db)
{
    auto has = [&](const QString &table, const char *column) {
        return db.GetFieldDesc(table, QString::fromLatin1(column)).has_value();
    };
    auto narrower = [&](const QString &table, const char *column, int width) {
        const auto f = db.GetFieldDesc(table, QString::fromLatin1(column));
        return f && f->length < width;
    };
    const QString plati = QStringLiteral("Plati2"), parc = QStringLiteral("Parcele"), con = QStringLiteral("Contract");
    Probe p;
    p.platiHasNumara = has(plati, "NUMARA");
    p.parcLacksCateg = !has(parc, "CATEG");
    p.parcLacksVecinn = !has(parc, "VECINN");
    p.parcLacksAparcnr = !has(parc, "APARCNR");
    p.parcLacksNrcad = !has(parc, "NRCAD");
    p.parcLacksLocalit = !has(parc, "LOCALIT");
    p.parcAcultnrNarrow = narrower(parc, "ACULTNR", 4);
    p.parcLacksAct = !has(parc, "ACT");
    p.parcLacksNrcadold = !has(parc, "NRCADOLD");
    p.contracteExists = db.tableExists(QStringLiteral("Contracte"));
    p.conLacksNrinreg = !has(con, "NRINREG");
    p.conLacksObs = !has(con, "OBS");
    p.conLacksTipcon = !has(con, "TIPCON");
    p.conNume2Narrow = narrower(con, "NUME2", 250);
    p.conLacksFisier = !has(con, "FISIER");
    p.conLacksNrcper = !has(con, "NRCPER");
    p.conLacksTelefon = !has(con, "TELEFON");
    p.conLacksNotificari = !has(con, "NOTIFICARI");
    return p;
}

void splitOldContracts(Database &db, Progress *progress)
{
    const QString old = QStringLiteral("Contracte");
    db.attachTable(old, QStringLiteral("Contracte.dbf"));
    QStringList present;
    for (const dbf::Field &f : db.fields(old))
        present << QString::fromStdString(f.name);
    const QStringList wanted{QStringLiteral("NRCON"),   QStringLiteral("DATACON"),  QStringLiteral("EXPIRA"),
                             QStringLiteral("NUME1"),   QStringLiteral("CNP1"),     QStringLiteral("NUME2"),
                             QStringLiteral("CNP2"),    QStringLiteral("TARLADEN"), QStringLiteral("TARLANR"),
                             QStringLiteral("PARCNR"),  QStringLiteral("SUPRAF")};
    QStringList select, order;
    for (const QString &c : wanted)
        select << (present.contains(c) ? c : QStringLiteral("NULL AS ") + c);
    for (const QString &c : {QStringLiteral("NRCON"), QStringLiteral("DATACON"), QStringLiteral("NUME1")})
        if (present.contains(c))
            order << c;
    QString sql = QStringLiteral("SELECT ") + select.join(QStringLiteral(", ")) + QStringLiteral(" FROM Contracte");
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
    const ResultSet rows = db.query(sql);
    if (progress)
        progress->ContorShow(QStringLiteral("Actualizare versiune..."), rows.rowCount());

    // Contract identifiers restart at 1; parcels continue their counter. Nobody else is
    // working (exclusive use), so the counters are advanced once at the end.
    const Settings &settings = db.settings();
    settings.SetNextId(QStringLiteral("IDCON"), 1);
    qint64 nextCon = 1;
    qint64 nextParc = settings.PeekId(QStringLiteral("IDPARC")).toLongLong();
    {
        Transaction t(db);
        auto insCon = db.prepare(QStringLiteral(
            "INSERT INTO Contract (IDCON, NRCON, DATACON, EXPIRA, NUME1, CNP1, NUME2, CNP2, SUPRAFT, VALOARE, TIPPLATA) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, 0, 'LEI')"));
        auto insParc = db.prepare(QStringLiteral(
            "INSERT INTO Parcele (IDCON, IDPARC, TARLADEN, TARLANR, PARCNR, PARCDET, BLOCF, SUPRAF) "
            "VALUES (?, ?, ?, ?, ?, ?, 0, ?)"));
        QString previousKey;
        bool first = true;
        qint64 idcon = 0;
        for (int i = 0; i < rows.rowCount(); ++i) {
            if (progress)
                progress->ContorStep();
            const QString key = rows.text(i, 0) + rows.text(i, 1) + rows.text(i, 3);
            if (first || key != previousKey) {
                idcon = nextCon++;
                insCon.exec({idcon, rows.value(i, 0), rows.value(i, 1), rows.value(i, 2), rows.text(i, 3),
                             rows.text(i, 4), rows.text(i, 5), rows.text(i, 6)});
                previousKey = key;
                first = false;
            }
            const auto [number, detail] = splitParcelNumber(rows.text(i, 9));
            insParc.exec({idcon, nextParc++, rows.text(i, 7), rows.text(i, 8), number, detail, rows.value(i, 10)});
        }
        db.exec(QStringLiteral("UPDATE Contract AS C SET SUPRAFT = "
                               "(SELECT SUM(SUPRAF) FROM Parcele P WHERE P.IDCON = C.IDCON)"));
        t.commit();
    }
    settings.SetNextId(QStringLiteral("IDCON"), static_cast<double>(nextCon));
    settings.SetNextId(QStringLiteral("IDPARC"), static_cast<double>(nextParc));
    db.detachTable(old);
    deleteDataFiles(db, {QStringLiteral("Contracte.dbf")});
    if (progress)
        progress->ContorHide();
}

void widenIgnoringErrors(Database &db, const QString &table, const QString &column, int width)
{
    try {
        db.WidenField(table, column, width);
    } catch (const Error &) {
        // the column keeps its old width
    }
}

void columnSteps(Database &db, const Probe &p, const QString &county, const std::function<void()> &installTemplates)
{
    const QString con = QStringLiteral("Contract"), parc = QStringLiteral("Parcele"), plati = QStringLiteral("Plati2");
    auto install = [&] {
        if (installTemplates)
            installTemplates();
    };
    if (p.conLacksNrinreg) {
        db.addColumns(con, {Field::number("NRINREG", 12, 0), Field::date("DATAINREG"), Field::text("ADRESA1", 80),
                            Field::text("LOC1", 24), Field::text("JUD1", 24), Field::text("MAMA", 24),
                            Field::text("TATA", 24), Field::text("CISERIA", 4), Field::text("CINR", 10),
                            Field::text("CIPOL", 32), Field::text("ACTP", 32)});
        db.exec(QStringLiteral("UPDATE Contract SET NRINREG = NRCON, DATAINREG = DATACON, JUD1 = ?, ADRESA1 = '', "
                               "LOC1 = '', MAMA = '', TATA = '', CISERIA = '', CINR = '', CIPOL = '', ACTP = ''"),
                {county});
    }
    // ACTP is widened to 240 by the CATEG step of Parcele; a Contract this old beside a
    // Parcele that needs no such step (a parcel table created afresh) would keep ACTP at
    // 32 characters for good.
    if (p.conLacksNrinreg && !p.parcLacksCateg)
        widenIgnoringErrors(db, con, QStringLiteral("ACTP"), 240);
    if (p.parcLacksCateg) {
        widenIgnoringErrors(db, con, QStringLiteral("ACTP"), 240);
        db.addColumns(parc, {Field::text("CATEG", 40), Field::text("CULTURA", 40), Field::number("SUPU", 10, 4)});
        db.exec(QStringLiteral("UPDATE Parcele SET CATEG = 'Teren arabil', CULTURA = '', SUPU = SUPRAF"));
    }
    if (p.parcLacksVecinn)
        db.addColumns(parc, {Field::text("VECINN", 100), Field::text("VECINE", 100), Field::text("VECINS", 100),
                             Field::text("VECINV", 100)});
    if (p.conLacksObs)
        db.addColumns(con, {Field::text("OBS", 254)});
    if (p.conLacksTipcon) {
        db.addColumns(con, {Field::text("TIPCON", 32)});
        db.exec(QStringLiteral("UPDATE Contract SET TIPCON = 'ARENDA'"));
    }
    if (p.conNume2Narrow)
        widenIgnoringErrors(db, con, QStringLiteral("NUME2"), 250);
    if (p.parcLacksAparcnr)
        db.addColumns(parc, {Field::number("APARCNR", 6, 0), Field::text("ACULTNR", 4)});
    if (p.parcLacksNrcad)
        db.addColumns(parc, {Field::text("NRCAD", 30)});
    if (p.parcLacksLocalit) {
        db.addColumns(parc, {Field::text("LOCALIT", 32), Field::number("SIRUTA", 6, 0)});
        db.exec(QStringLiteral("UPDATE Parcele SET SIRUTA = 0"));
    }
    if (p.platiHasNumara) {
        QStringList drop;
        for (const char *c : {"ACT", "SERIA", "NUMARA"})
            if (db.GetFieldDesc(plati, QString::fromLatin1(c)))
                drop << QString::fromLatin1(c);
        db.dropColumns(plati, drop);
    }
    if (p.parcAcultnrNarrow)
        widenIgnoringErrors(db, parc, QStringLiteral("ACULTNR"), 4);
    if (p.conLacksFisier) {
        db.addColumns(con, {Field::text("FISIER", 160)});
        db.exec(QStringLiteral("UPDATE Contract SET FISIER = ''"));
    }
    if (p.parcLacksAct) {
        db.addColumns(parc, {Field::text("ACT", 32)});
        db.exec(QStringLiteral("UPDATE Parcele SET ACT = ''"));
    }
    if (p.conLacksNrcper) {
        db.addColumns(con, {Field::text("NRCPER", 12), Field::text("NRIPER", 12)});
        db.exec(QStringLiteral("UPDATE Contract SET NRCPER = '', NRIPER = ''"));
    }
    if (p.conLacksTelefon) {
        db.addColumns(con, {Field::text("TELEFON", 25), Field::text("EMAIL", 60)});
        deleteDataFiles(db, {QStringLiteral("Expirate.xls"), QStringLiteral("Filtrare.xls")});
        install();
    }
    if (p.conLacksNotificari) {
        db.addColumns(con, {Field::text("NOTIFICARI", 200), Field::text("ADRESA2", 80), Field::text("LOC2", 24),
                            Field::text("JUD2", 24)});
        deleteDataFiles(db, {QStringLiteral("Expirate.xls")});
    }
    if (p.parcLacksNrcadold) {
        db.addColumns(parc, {Field::text("NRCADOLD", 30)});
        db.exec(QStringLiteral("UPDATE Parcele SET NRCADOLD = NRCAD"));
        deleteDataFiles(db, {QStringLiteral("DetCon.xls")});
        install();
    }
}

} // namespace

std::pair<qint64, QString> splitParcelNumber(const QString &text)
{
    const QString t = text.toUpper().trimmed();
    int i = 0;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
        ++i;
    qint64 number = 0;
    for (int k = 0; k < i && k < 18; ++k)
        number = number * 10 + (t[k].unicode() - '0');
    int rest = i;
    if (i > 0 && rest < t.size()) {
        const QChar c = t[rest];
        if (c == u' ' || c == u'-' || c == u'.' || c == u'/' || c == u'\\')
            ++rest;
    }
    return {number, t.mid(rest).trimmed()};
}

void UpgradeSchema(Database &db, const std::function<void()> &installTemplates, const QString &currentCounty,
                   Progress *progress)
{
    const Settings &settings = db.settings();
    const double oldVersion = settings.ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("Versiune"));
    settings.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("Versiune"), kRunningVersion);

    struct TemplateStep {
        double below;
        QStringList files;
    };
    const TemplateStep steps[] = {
        {1.0094, {QStringLiteral("Cen1.xls")}},
        {1.0116, {QStringLiteral("BordPLC.xls"), QStringLiteral("Expirate.xls"), QStringLiteral("TabNom.xls"),
                  QStringLiteral("Lista.xls")}},
        {1.0131, {QStringLiteral("COf.rtf")}},
        {1.0125, {QStringLiteral("Expirate.xls")}},
    };
    for (const TemplateStep &s : steps) {
        if (oldVersion < s.below - 1e-9) {
            deleteDataFiles(db, s.files);
            if (installTemplates)
                installTemplates();
        }
    }

    if (db.tableExists(QStringLiteral("Plati")))
        deleteDataFiles(db, {QStringLiteral("Plati.dbf")});

    const Probe p = probe(db);
    if (!p.contracteExists && !p.anyColumnStep())
        return;

    const bool wasExclusive = db.isExclusive();
    if (!wasExclusive && !db.tryExclusive())
        throw Error(QStringLiteral("Actualizarea bazei de date la versiunea %1 cere ca programul sa fie inchis pe "
                                   "toate celelalte statii. Inchideti-l si porniti din nou programul.")
                        .arg(Workspace::versionText()));
    try {
        if (p.contracteExists)
            splitOldContracts(db, progress);
        columnSteps(db, p, currentCounty, installTemplates);
    } catch (...) {
        if (!wasExclusive)
            db.endExclusive();
        throw;
    }
    if (!wasExclusive)
        db.endExclusive();
}

} // namespace ogx
