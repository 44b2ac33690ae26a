#include "contracts/ContractService.h"

#include "datastore/ActionLog.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "dbf/Numbers.h"
#include "session/AdminSettings.h"
#include "text/CodeChecks.h"

#include <QFile>
#include <QFileInfo>

namespace ogx {

namespace {

const QString kTemp = QStringLiteral("TEMP");

QString dmy(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

double round4(double v) { return dbf::roundDecimal(v, 4); }

QString number4(double v) { return QString::fromStdString(dbf::formatTrimmed(v, 4)); }

// "Nr.<NRCON>[/<NRCPER>] / <DATACON>, <NUME1>."
QString logTail(const ContractRecord &c, bool withSuffix)
{
    QString nr = QString::number(c.NRCON);
    if (withSuffix && !c.NRCPER.trimmed().isEmpty())
        nr += u'/' + c.NRCPER;
    return u"Nr." % nr % u" / " % dmy(c.DATACON) % u", " % c.NUME1 % u'.';
}

QString quoted(const std::string &name) { return u'"' + QString::fromStdString(name) + u'"'; }

// A comma-separated ordering made only of the table's column names; empty otherwise.
QString checkedOrder(const QString &order, const std::vector<dbf::Field> &layout)
{
    const QStringList parts = order.split(u',', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    QStringList out;
    for (const QString &p : parts) {
        const QString name = p.trimmed().toUpper();
        bool found = false;
        for (const auto &f : layout)
            if (QString::fromStdString(f.name) == name)
                found = true;
        if (!found)
            return QString();
        out << name;
    }
    return out.join(QStringLiteral(", "));
}

QVariant sirutaValue(const QString &siruta)
{
    const QString s = siruta.trimmed();
    if (s.isEmpty())
        return QVariant();
    return s.toLongLong();
}

bool allDigits(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

// --- fixed lists and texts --------------------------------------------------------------

const QStringList &PaymentKinds()
{
    static const QStringList l = {QStringLiteral("LEI"),  QStringLiteral("KG/HA"), QStringLiteral("PROCENT"),
                                  QStringLiteral("EURO"), QStringLiteral("USD"),   QStringLiteral("PRET FIX")};
    return l;
}

const QStringList &LandCategories()
{
    static const QStringList l = {
        QStringLiteral("Teren arabil"),
        QStringLiteral("Pasuni naturale"),
        QStringLiteral("Fanete naturale"),
        QStringLiteral("Vii, pepiniere viticole si hameisti"),
        QStringLiteral("Teren cu vii abandonate"),
        QStringLiteral("Livezi, pepiniere, arbusti fructiferi"),
        QStringLiteral("Paduri"),
        QStringLiteral("Drumuri si cai ferate"),
        QStringLiteral("Constructii"),
        QStringLiteral("Terenuri degradate si neproductive"),
        QStringLiteral("Ape si balti"),
    };
    return l;
}

const QStringList &CountyList() { return AdminSettings::counties(); }

QString ContractReference(const ContractRecord &c)
{
    QString s = QString::number(c.NRCON);
    if (!c.NRCPER.trimmed().isEmpty())
        s += u'/' + c.NRCPER;
    return s + u'/' + dmy(c.DATACON);
}

QString PaymentDetailsText(const ContractRecord &c) { return c.NUME1 + u": Contract " + ContractReference(c); }

ParcelInput parcelInputFrom(const ParcelRecord &p)
{
    ParcelInput in;
    in.ACT = p.ACT;
    in.TARLADEN = p.TARLADEN;
    in.TARLANR = p.TARLANR;
    in.PARCNR = p.PARCNR;
    in.PARCDET = p.PARCDET;
    in.BLOCF = p.BLOCF;
    in.NRCAD = p.NRCAD;
    in.NRCADOLD = p.NRCADOLD;
    in.SUPRAF = p.SUPRAF;
    in.SUPU = p.SUPU;
    in.CATEG = p.CATEG;
    in.CULTURA = p.CULTURA;
    in.LOCALIT = p.LOCALIT;
    in.SIRUTA = p.SIRUTA == 0 ? QString() : QString::number(p.SIRUTA);
    in.APARCNR = p.APARCNR;
    in.VECINN = p.VECINN;
    in.VECINE = p.VECINE;
    in.VECINS = p.VECINS;
    in.VECINV = p.VECINV;
    in.ACULTNR = p.ACULTNR;
    return in;
}

// --- service ------------------------------------------------------------------------

ContractService::ContractService(Database &db) : m_db(db) {}

QDate ContractService::today() const { return m_db.clock().today(); }

ResultSet ContractService::listContracts(const RegisterFilter &filter, const QString &order)
{
    const SqlCondition cond = FilterCondition(filter, today());
    QString o = checkedOrder(order, contractLayout());
    if (o.isEmpty())
        o = DefaultContractOrder();
    QString sql = QStringLiteral("SELECT * FROM Contract");
    if (!cond.where.isEmpty())
        sql += u" WHERE " + cond.where;
    sql += u" ORDER BY " + o;
    return m_db.query(sql, cond.params);
}

ResultSet ContractService::listParcels(qint64 idcon, const QString &order)
{
    QString o = checkedOrder(order, parceleLayout());
    if (o.isEmpty())
        o = DefaultParcelOrder();
    return m_db.query(u"SELECT * FROM Parcele WHERE IDCON = ? ORDER BY " + o, {idcon});
}

std::optional<ContractRecord> ContractService::contract(qint64 idcon)
{
    const ResultSet r = m_db.query(QStringLiteral("SELECT * FROM Contract WHERE IDCON = ?"), {idcon});
    if (r.isEmpty())
        return std::nullopt;
    return contractFromRow(r, 0);
}

std::optional<ParcelRecord> ContractService::parcel(qint64 idparc)
{
    const ResultSet r = m_db.query(QStringLiteral("SELECT * FROM Parcele WHERE IDPARC = ?"), {idparc});
    if (r.isEmpty())
        return std::nullopt;
    return parcelFromRow(r, 0);
}

QList<ParcelRecord> ContractService::parcels(qint64 idcon, const QString &order)
{
    const ResultSet r = listParcels(idcon, order);
    QList<ParcelRecord> out;
    for (int i = 0; i < r.rowCount(); ++i)
        out << parcelFromRow(r, i);
    return out;
}

QStringList ContractService::distinctValues(const QString &table, const QString &field)
{
    const auto &layout = tableLayout(table);
    if (checkedOrder(field, layout) != field.trimmed().toUpper() || field.contains(u','))
        throw Error(QStringLiteral("Coloana %1 nu exista in %2.").arg(field, table));
    return FillComboDistinct(m_db, table, QString(), field.trimmed().toUpper());
}

QList<LesseeInfo> ContractService::lesseeList()
{
    const ResultSet r = m_db.query(QStringLiteral(
        "SELECT NUME2, MAX(CNP2) AS CNP2, MAX(ADRESA2) AS ADRESA2, MAX(LOC2) AS LOC2, MAX(JUD2) AS JUD2 "
        "FROM Contract GROUP BY NUME2 ORDER BY NUME2"));
    QList<LesseeInfo> out;
    for (int i = 0; i < r.rowCount(); ++i)
        out << LesseeInfo{r.text(i, 0), r.text(i, 1), r.text(i, 2), r.text(i, 3), r.text(i, 4)};
    return out;
}

RememberedContract ContractService::rememberedContract() const
{
    const Settings &s = m_db.settings();
    RememberedContract r;
    r.DATACON = QDate::fromString(s.ReadSetting(kTemp, QStringLiteral("DATACON")).trimmed(), QStringLiteral("dd.MM.yyyy"));
    r.EXPIRA = QDate::fromString(s.ReadSetting(kTemp, QStringLiteral("EXPIRA")).trimmed(), QStringLiteral("dd.MM.yyyy"));
    r.NUME1 = s.ReadSetting(kTemp, QStringLiteral("NUME1"));
    r.CNP1 = s.ReadSetting(kTemp, QStringLiteral("CNP1"));
    r.NUME2 = s.ReadSetting(kTemp, QStringLiteral("NUME2"));
    r.CNP2 = s.ReadSetting(kTemp, QStringLiteral("CNP2"));
    return r;
}

void ContractService::rememberNewContract(const ContractInput &in)
{
    const Settings &s = m_db.settings();
    s.WriteSetting(kTemp, QStringLiteral("DATACON"), dmy(in.DATACON));
    s.WriteSetting(kTemp, QStringLiteral("EXPIRA"), dmy(in.EXPIRA));
    s.WriteSetting(kTemp, QStringLiteral("NUME1"), in.NUME1);
    s.WriteSetting(kTemp, QStringLiteral("CNP1"), in.CNP1);
    s.WriteSetting(kTemp, QStringLiteral("NUME2"), in.NUME2);
    s.WriteSetting(kTemp, QStringLiteral("CNP2"), in.CNP2);
}

// --- checks ---------------------------------------------------------------------------

CheckOutcome ContractService::checkContract(ContractInput &in, qint64 idcon)
{
    // Normalise as the editor stores the values.
    in.NRCPER = CleanText(in.NRCPER);
    in.VALOARE = round4(in.VALOARE);
    for (QString *s : {&in.NRIPER, &in.TIPCON, &in.NUME1, &in.TELEFON, &in.EMAIL, &in.CNP1, &in.NUME2, &in.CNP2,
                       &in.ADRESA2, &in.LOC2, &in.ACTP, &in.OBS, &in.NOTIFICARI})
        *s = CleanText(*s);

    CheckOutcome out;
    auto refuse = [&](const char *control, const QString &text) {
        out.refusal = EditorIssue{QLatin1String(control), QString(), text};
        return out;
    };
    const auto codeOk = [](const QString &code) { return code.isEmpty() || CheckCnp(code) || CheckCif(code); };

    if (in.NRCON < 1)
        return refuse("NrCon", QStringLiteral("Numar de contract incorect!"));
    if (!in.DATACON.isValid() || !in.EXPIRA.isValid() || in.DATACON >= in.EXPIRA)
        return refuse("Expira", QStringLiteral("Data Expirarii incorecta!"));
    if (in.TIPCON.isEmpty())
        return refuse("TipCon", QStringLiteral("Nu ati scris Tipul de contract !"));
    if (in.NUME1.size() <= 2)
        return refuse("Nume1", QStringLiteral("Nume incorect!"));
    if (in.NUME2.size() <= 2)
        return refuse("Nume2", QStringLiteral("Nume incorect!"));
    if (!codeOk(in.CNP1))
        return refuse("CNP1", QStringLiteral("CNP/Cod Fiscal incorect!"));
    if (!codeOk(in.CNP2))
        return refuse("CNP2", QStringLiteral("CNP/Cod Fiscal incorect!"));
    if (!CountyList().contains(in.JUD2))
        return refuse("Jud2", QStringLiteral("Nu ati ales niciun judet!"));
    if (in.TIPPLATA == u"PROCENT" && in.VALOARE > 100)
        return refuse("Valoare", QStringLiteral("Ce avioane mi-ati scris aici ?!"));
    if (!in.EMAIL.isEmpty() && !CheckEmail(in.EMAIL))
        return refuse("Email", QStringLiteral("E-mail incorect!"));

    const ResultSet same = m_db.query(
        QStringLiteral("SELECT IDCON FROM Contract WHERE EXPIRA >= ? AND DATACON = ? AND NRCON = ? AND NRCPER = ? "
                       "AND NUME1 = ? AND IDCON <> ? LIMIT 1"),
        {today(), in.DATACON, in.NRCON, in.NRCPER, in.NUME1, idcon});
    if (!same.isEmpty())
        return refuse("NrCon", QStringLiteral("Mai exista un contract activ cu acelasi numar!"));

    if (!in.ACTP.isEmpty()) {
        const ResultSet deed = m_db.query(
            QStringLiteral("SELECT NRCON FROM Contract WHERE DATACON < ? AND ACTP = ? AND IDCON <> ? LIMIT 1"),
            {in.EXPIRA, in.ACTP, idcon});
        if (!deed.isEmpty())
            out.questions << EditorIssue{QStringLiteral("ActP"), QStringLiteral("Verificare Contract"),
                                         u"\rActul de proprietate " % in.ACTP % u"\rmai exista la Contractul nr." %
                                             deed.text(0, 0) % u" !\rContinuati asa?"};
    }
    const ResultSet pair = m_db.query(
        QStringLiteral("SELECT IDCON FROM Contract WHERE EXPIRA > ? AND DATACON < ? AND CNP1 = ? AND CNP2 = ? "
                       "AND IDCON <> ? LIMIT 1"),
        {in.DATACON, in.EXPIRA, in.CNP1, in.CNP2, idcon});
    if (!pair.isEmpty())
        out.questions << EditorIssue{QStringLiteral("CNP2"), QStringLiteral("Notificari"),
                                     QStringLiteral("Mai exista acest CNP arendas la un contract activ!\rContinuam asa?")};
    return out;
}

CheckOutcome ContractService::checkParcel(ParcelInput &in, qint64 idparc, const QDate &datacon, const QDate &expira)
{
    in.SUPU = round4(in.SUPU);
    in.SUPRAF = round4(in.SUPRAF);
    for (QString *s : {&in.NRCAD, &in.NRCADOLD, &in.ACT, &in.TARLANR, &in.TARLADEN, &in.ACULTNR, &in.LOCALIT,
                       &in.SIRUTA, &in.VECINN, &in.VECINE, &in.VECINS, &in.VECINV, &in.PARCDET})
        *s = CleanText(*s);

    CheckOutcome out;
    if (in.SUPRAF == 0) {
        out.refusal = EditorIssue{QStringLiteral("Supraf"), QString(), QStringLiteral("Mai trebuie o valoare aici!")};
        return out;
    }
    // The SIRUTA column is numeric: a code that is not made of digits cannot be stored.
    if (!in.SIRUTA.isEmpty() && !allDigits(in.SIRUTA)) {
        out.refusal = EditorIssue{QStringLiteral("Siruta"), QString(), QStringLiteral("Cod SIRUTA incorect!")};
        return out;
    }
    if (in.PARCNR <= 0)
        out.questions << EditorIssue{QStringLiteral("ParcNr"), QStringLiteral("Adaugare parcela"),
                                     QStringLiteral("Nu ati scris numarul parcelei!\rContinuam asa?")};

    const ResultSet r = m_db.query(
        QStringLiteral("SELECT P.IDPARC, P.SUPRAF, C.NRCON, C.NRCPER, C.DATACON, C.NUME1 "
                       "FROM Parcele P JOIN Contract C ON P.IDCON = C.IDCON "
                       "WHERE C.DATACON < ? AND C.EXPIRA > ? AND P.TARLANR = ? AND P.PARCNR = ? "
                       "AND P.TARLADEN = ? AND P.PARCDET = ? AND P.IDPARC <> ? LIMIT 1"),
        {expira, datacon, in.TARLANR, in.PARCNR, in.TARLADEN, in.PARCDET, idparc});
    // Only a row with a real (positive) identifier counts.
    if (!r.isEmpty() && r.text(0, 0) > QStringLiteral("0") && r.integer(0, 0) > 0)
        out.questions << EditorIssue{QStringLiteral("TarlaNr"), QStringLiteral("Memorare Parcela"),
                                     u"Aceasta Parcela mai este arendata de " % r.text(0, 5) % u"\rcu Contractul " %
                                         r.text(0, 2) % u'/' % r.text(0, 4) % u" supraf." % number4(r.number(0, 1)) %
                                         u"ha !\rContinuati asa ?"};
    return out;
}

// --- contracts --------------------------------------------------------------------------

qint64 ContractService::addContract(const ContractInput &in)
{
    Transaction t(m_db);
    const qint64 id = m_db.settings().NextId(QStringLiteral("IDCON")).toLongLong();
    ContractRecord c = in;
    WriteLog(m_db, u"Adaugare Contract " + logTail(c, false));
    m_db.exec(QStringLiteral(
                  "INSERT INTO Contract (IDCON, TIPCON, NRCON, NRCPER, DATACON, EXPIRA, NUME1, CNP1, NUME2, CNP2, "
                  "ADRESA2, LOC2, JUD2, SUPRAFT, VALOARE, TIPPLATA, NRINREG, NRIPER, DATAINREG, ADRESA1, LOC1, JUD1, "
                  "MAMA, TATA, CISERIA, CINR, CIPOL, ACTP, TELEFON, EMAIL, NOTIFICARI, OBS, FISIER) "
                  "VALUES (?,?,?,?,?,?,?,?,?,?, ?,?,?,0,?,?,?,?,?,?,?,?, ?,?,?,?,?,?,?,?,?,?,'')"),
              {id, in.TIPCON, in.NRCON, in.NRCPER, in.DATACON, in.EXPIRA, in.NUME1, in.CNP1, in.NUME2, in.CNP2,
               in.ADRESA2, in.LOC2, in.JUD2, round4(in.VALOARE), in.TIPPLATA, in.NRINREG, in.NRIPER, in.DATAINREG,
               in.ADRESA1, in.LOC1, in.JUD1, in.MAMA, in.TATA, in.CISERIA, in.CINR, in.CIPOL, in.ACTP, in.TELEFON,
               in.EMAIL, in.NOTIFICARI, in.OBS});
    t.commit();
    return id;
}

void ContractService::changeContract(qint64 idcon, const ContractInput &in, bool deleteDocument)
{
    {
        Transaction t(m_db);
        WriteLog(m_db, u"Modificare Contract " + logTail(in, false));
        m_db.exec(QStringLiteral("UPDATE Contract SET NRCON=?, NRCPER=?, TIPCON=?, DATACON=?, EXPIRA=?, NUME1=?, "
                                 "CNP1=?, NUME2=?, CNP2=?, ADRESA2=?, LOC2=?, JUD2=?, VALOARE=?, TIPPLATA=?, "
                                 "NRINREG=?, NRIPER=?, DATAINREG=?, ADRESA1=?, LOC1=?, JUD1=?, MAMA=?, TATA=?, "
                                 "CISERIA=?, CINR=?, CIPOL=?, ACTP=?, TELEFON=?, EMAIL=?, NOTIFICARI=?, OBS=? "
                                 "WHERE IDCON=?"),
                  {in.NRCON, in.NRCPER, in.TIPCON, in.DATACON, in.EXPIRA, in.NUME1, in.CNP1, in.NUME2, in.CNP2,
                   in.ADRESA2, in.LOC2, in.JUD2, round4(in.VALOARE), in.TIPPLATA, in.NRINREG, in.NRIPER,
                   in.DATAINREG, in.ADRESA1, in.LOC1, in.JUD1, in.MAMA, in.TATA, in.CISERIA, in.CINR, in.CIPOL,
                   in.ACTP, in.TELEFON, in.EMAIL, in.NOTIFICARI, in.OBS, idcon});
        t.commit();
    }
    if (deleteDocument)
        removeStoredDocument(idcon);
}

void ContractService::deleteContract(qint64 idcon)
{
    const auto c = contract(idcon);
    if (!c)
        throw Error(QStringLiteral("Contractul selectat nu mai exista."));
    {
        Transaction t(m_db);
        WriteLog(m_db, u"Stergere Contract " + logTail(*c, false));
        m_db.exec(QStringLiteral("DELETE FROM Contract WHERE IDCON = ?"), {idcon});
        m_db.exec(QStringLiteral("DELETE FROM Parcele WHERE IDCON = ?"), {idcon});
        m_db.exec(QStringLiteral("DELETE FROM Plati2 WHERE IDCON = ?"), {idcon});
        t.commit();
    }
    removeStoredDocument(idcon);
}

qint64 ContractService::duplicateContract(qint64 idcon)
{
    const ResultSet src = m_db.query(QStringLiteral("SELECT rowid, * FROM Contract WHERE IDCON = ? LIMIT 1"), {idcon});
    if (src.isEmpty())
        throw Error(QStringLiteral("Contractul selectat nu mai exista."));
    const ContractRecord c = contractFromRow(src, 0);
    const qint64 contractRow = src.integer(0, 0);

    QStringList contractCols;
    for (const auto &f : m_db.fields(QStringLiteral("Contract")))
        if (QString::fromStdString(f.name) != u"IDCON")
            contractCols << quoted(f.name);
    QStringList parcelCols;
    for (const auto &f : m_db.fields(QStringLiteral("Parcele"))) {
        const QString name = QString::fromStdString(f.name);
        if (name != u"IDCON" && name != u"IDPARC")
            parcelCols << quoted(f.name);
    }
    const QString cc = contractCols.join(QStringLiteral(", "));
    const QString pc = parcelCols.join(QStringLiteral(", "));

    Transaction t(m_db);
    WriteLog(m_db, u"Adaugare dublura la Contractul " % ContractReference(c) % u'.');
    const qint64 newId = m_db.settings().NextId(QStringLiteral("IDCON")).toLongLong();
    m_db.exec(u"INSERT INTO Contract (IDCON, " % cc % u") SELECT ?, " % cc % u" FROM Contract WHERE rowid = ?",
              {newId, contractRow});
    const ResultSet parcelRows =
        m_db.query(QStringLiteral("SELECT rowid FROM Parcele WHERE IDCON = ? ORDER BY IDPARC, rowid"), {idcon});
    if (!parcelRows.isEmpty()) {
        auto insert = m_db.prepare(u"INSERT INTO Parcele (IDCON, IDPARC, " % pc % u") SELECT ?, ?, " % pc %
                                   u" FROM Parcele WHERE rowid = ?");
        for (int i = 0; i < parcelRows.rowCount(); ++i) {
            const qint64 newParc = m_db.settings().NextId(QStringLiteral("IDPARC")).toLongLong();
            insert.exec({newId, newParc, parcelRows.integer(i, 0)});
        }
    }
    t.commit();
    return newId;
}

void ContractService::setAttachedFile(qint64 idcon, const QString &path)
{
    if (path.size() > 160)
        throw Error(u"Calea fisierului are mai mult de 160 de caractere:\r" + path);
    m_db.exec(QStringLiteral("UPDATE Contract SET FISIER = ? WHERE IDCON = ?"), {path, idcon});
}

// --- parcels ----------------------------------------------------------------------------

qint64 ContractService::addParcel(qint64 idcon, const ParcelInput &in, bool deleteDocument)
{
    const auto c = contract(idcon);
    if (!c)
        throw Error(QStringLiteral("Contractul selectat nu mai exista."));
    qint64 id = 0;
    {
        Transaction t(m_db);
        WriteLog(m_db, u"Adaugare parcela la Contract " + logTail(*c, true));
        id = m_db.settings().NextId(QStringLiteral("IDPARC")).toLongLong();
        m_db.exec(QStringLiteral("INSERT INTO Parcele (IDCON, IDPARC, TARLADEN, TARLANR, ACT, PARCNR, PARCDET, "
                                 "APARCNR, ACULTNR, BLOCF, NRCAD, NRCADOLD, SUPRAF, CATEG, CULTURA, SUPU, VECINN, "
                                 "VECINE, VECINS, VECINV, LOCALIT, SIRUTA) "
                                 "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                  {idcon, id, in.TARLADEN, in.TARLANR, in.ACT, in.PARCNR, in.PARCDET, in.APARCNR, in.ACULTNR, in.BLOCF,
                   in.NRCAD, in.NRCADOLD, round4(in.SUPRAF), in.CATEG, in.CULTURA, round4(in.SUPU), in.VECINN,
                   in.VECINE, in.VECINS, in.VECINV, in.LOCALIT, sirutaValue(in.SIRUTA)});
        RecomputeContractSurface(idcon);
        t.commit();
    }
    if (deleteDocument)
        removeStoredDocument(idcon);
    return id;
}

void ContractService::changeParcel(qint64 idparc, const ParcelInput &in, bool deleteDocument)
{
    const auto p = parcel(idparc);
    if (!p)
        throw Error(QStringLiteral("Parcela selectata nu mai exista."));
    const auto c = contract(p->IDCON);
    ContractRecord owner = c ? *c : ContractRecord{};
    {
        Transaction t(m_db);
        WriteLog(m_db, u"Modificare parcela la Contract " + logTail(owner, false));
        m_db.exec(QStringLiteral("UPDATE Parcele SET TARLADEN=?, TARLANR=?, ACT=?, PARCNR=?, PARCDET=?, APARCNR=?, "
                                 "ACULTNR=?, BLOCF=?, NRCAD=?, NRCADOLD=?, SUPRAF=?, SUPU=?, CATEG=?, CULTURA=?, "
                                 "VECINN=?, VECINE=?, VECINS=?, VECINV=?, LOCALIT=?, SIRUTA=? WHERE IDPARC=?"),
                  {in.TARLADEN, in.TARLANR, in.ACT, in.PARCNR, in.PARCDET, in.APARCNR, in.ACULTNR, in.BLOCF, in.NRCAD,
                   in.NRCADOLD, round4(in.SUPRAF), round4(in.SUPU), in.CATEG, in.CULTURA, in.VECINN, in.VECINE,
                   in.VECINS, in.VECINV, in.LOCALIT, sirutaValue(in.SIRUTA), idparc});
        RecomputeContractSurface(p->IDCON);
        t.commit();
    }
    if (deleteDocument)
        removeStoredDocument(p->IDCON);
}

void ContractService::deleteParcel(qint64 idparc, bool deleteDocument)
{
    const auto p = parcel(idparc);
    if (!p)
        throw Error(QStringLiteral("Parcela selectata nu mai exista."));
    const auto c = contract(p->IDCON);
    ContractRecord owner = c ? *c : ContractRecord{};
    {
        Transaction t(m_db);
        WriteLog(m_db, u"Stergere parcela la Contract " + logTail(owner, false));
        m_db.exec(QStringLiteral("DELETE FROM Parcele WHERE IDPARC = ?"), {idparc});
        RecomputeContractSurface(p->IDCON);
        t.commit();
    }
    if (deleteDocument)
        removeStoredDocument(p->IDCON);
}

void ContractService::RecomputeContractSurface(qint64 idcon)
{
    // SUM is the exact decimal sum of the connection, so no scaling is needed.
    m_db.exec(QStringLiteral("UPDATE Contract SET SUPRAFT = (SELECT SUM(SUPRAF) FROM Parcele P WHERE P.IDCON = ?1) "
                             "WHERE IDCON = ?1"),
              {idcon});
}

// --- stored document ----------------------------------------------------------------------

QString ContractService::storedDocumentPath(qint64 idcon) const
{
    return m_db.workspace().dataFile(u"C" % QString::number(idcon) % u".rtf");
}

bool ContractService::hasStoredDocument(qint64 idcon) const { return QFileInfo::exists(storedDocumentPath(idcon)); }

void ContractService::removeStoredDocument(qint64 idcon)
{
    const QString path = storedDocumentPath(idcon);
    if (QFileInfo::exists(path))
        QFile::remove(path);
}

} // namespace ogx
