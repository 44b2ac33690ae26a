#include "datastore/DemoData.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Prompter.h"
#include "datastore/Settings.h"

#include "dbf/Numbers.h"

#include <QDate>

#include <cmath>
#include <random>

namespace ogx {

namespace {

const char *const kLastNames[] = {
    "POPESCU", "IONESCU", "POPA", "RADU", "DUMITRU", "STAN", "STOICA", "GHEORGHE", "MATEI", "CIOBANU",
    "RUSU", "MUNTEANU", "CONSTANTIN", "ANDREI", "MOLDOVAN", "MIHAI", "LUPU", "BĂLAN", "ŞERBAN", "TUDOR",
    "NEAGU", "COJOCARU", "ŢURCANU", "AVRAM", "BUZATU", "OLARU", "PAVEL", "URSU", "ZAHARIA", "HOLBAN",
    "APOSTOL", "CHIRIAC", "DASCĂLU", "FLOREA", "GAVRIL", "IACOB", "LEAHU", "MANOLE", "NISTOR", "PRICOP"};
const char *const kMaleNames[] = {"ION", "GHEORGHE", "VASILE", "CONSTANTIN", "NICOLAE", "MIHAI", "DUMITRU",
                                  "ŞTEFAN", "PETRU", "ALEXANDRU", "COSTEL", "VIOREL", "DANIEL", "TEODOR"};
const char *const kFemaleNames[] = {"MARIA", "ELENA", "ANA", "IOANA", "GEORGETA", "VASILICA", "MIHAELA",
                                    "ELISABETA", "DOINA", "AURELIA", "ŞTEFANIA", "VIORICA", "FLORICA"};
const char *const kVillages[] = {"VLĂDENI", "BROSCĂUŢI", "HORIA", "FRUMUŞICA", "COSTEŞTI", "DRĂGUŞENI",
                                 "MOVILENI", "PODU ILOAIEI", "TOPILE", "VALEA SEACĂ"};
const int kSiruta[] = {95514, 95523, 95532, 95541, 95550, 95569, 95578, 95587, 95596, 95603};
const char *const kStreets[] = {"Principala", "Morii", "Scolii", "Bisericii", "Gării", "Viilor", "Livezii", "Campului"};
const char *const kTarlas[] = {"LA FÂNTÂNĂ", "DEALUL MARE", "VALEA SEACĂ", "LUNCA", "PE ŞES", "LA PĂDURE",
                               "LA CRUCE", "PISCUL", "IAZUL VECHI", "DRUMUL MARE", "FÂNTÂNA ALBĂ", "COSTIŞA"};
const char *const kCompanies[] = {"SC AGROMEC VLĂDENI SRL", "SC CEREALCOM SA", "SC AGRICOLA MOVILENI SRL",
                                  "SC FERMA ŞTEFAN SRL", "SC AGROINVEST PRUT SRL", "SC SEMINTE NORD SRL",
                                  "SC VALEA JIJIEI SRL", "ASOCIATIA AGRICOLA HORIA", "SC AGRO TOPILE SRL",
                                  "SC HOLDE DOBROGEI SRL"};
const char *const kCategories[] = {"Teren arabil", "Teren arabil", "Teren arabil", "Teren arabil", "Pasune",
                                   "Faneata", "Vie", "Livada"};
const char *const kCrops[] = {"Grau", "Porumb", "Floarea soarelui", "Rapita", "Orz", "Soia", "Lucerna"};
const char *const kPaymentKinds[] = {"LEI", "LEI", "LEI", "KG/HA", "KG/HA", "PROCENT", "EURO", "PRET FIX"};

template <std::size_t N> const char *pick(std::mt19937 &rng, const char *const (&items)[N])
{
    return items[rng() % N];
}

int between(std::mt19937 &rng, int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); }

QString u8(const char *s) { return QString::fromUtf8(s); }

double round2(double v) { return dbf::roundDecimal(v, 2); }

} // namespace

QString makeCnp(int year, int month, int day, char sex, int county, int serial)
{
    const bool male = sex == 'M';
    const int s = year >= 2000 ? (male ? 5 : 6) : (male ? 1 : 2);
    QString body = QStringLiteral("%1%2%3%4%5%6")
                       .arg(s)
                       .arg(year % 100, 2, 10, QLatin1Char('0'))
                       .arg(month, 2, 10, QLatin1Char('0'))
                       .arg(day, 2, 10, QLatin1Char('0'))
                       .arg(county, 2, 10, QLatin1Char('0'))
                       .arg(serial, 3, 10, QLatin1Char('0'));
    static const int weights[] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (body[i].unicode() - '0') * weights[i];
    int control = sum % 11;
    if (control == 10)
        control = 1;
    return body + QString::number(control);
}

QString makeCif(qint64 body)
{
    const QString digits = QString::number(body);
    const QString padded = digits.rightJustified(9, QLatin1Char('0'));
    static const int weights[] = {7, 5, 3, 2, 1, 7, 5, 3, 2};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (padded[i].unicode() - '0') * weights[i];
    const int control = (sum * 10 % 11) % 10;
    return digits + QString::number(control);
}

DemoSummary fillDemoRegister(Database &db, int contracts, quint32 seed, Progress *progress)
{
    if (contracts < 0)
        throw Error(QStringLiteral("The number of contracts cannot be negative"));
    std::mt19937 rng(seed);
    const Settings &settings = db.settings();
    qint64 idcon = settings.PeekId(QStringLiteral("IDCON")).toLongLong();
    qint64 idparc = settings.PeekId(QStringLiteral("IDPARC")).toLongLong();
    qint64 idplata = settings.PeekId(QStringLiteral("IDPLATA")).toLongLong();
    qint64 idlog = settings.PeekId(QStringLiteral("IDLOG")).toLongLong();
    const QDate today = db.clock().today();
    const int thisYear = today.year();
    const QString county = QStringLiteral("IASI");
    DemoSummary sum;

    // Lessees: a few companies working most of the land, and some persons.
    struct Lessee {
        QString name, code, address, locality;
    };
    std::vector<Lessee> lessees;
    for (std::size_t i = 0; i < std::size(kCompanies); ++i)
        lessees.push_back({u8(kCompanies[i]), makeCif(10000000 + static_cast<qint64>(rng() % 89999999)),
                           QStringLiteral("Str. %1 nr. %2").arg(u8(pick(rng, kStreets))).arg(between(rng, 1, 90)),
                           u8(kVillages[i % std::size(kVillages)])});
    for (int i = 0; i < 6; ++i)
        lessees.push_back({u8(pick(rng, kLastNames)) + u' ' + u8(pick(rng, kMaleNames)),
                           makeCnp(between(rng, 1950, 1985), between(rng, 1, 12), between(rng, 1, 28), 'M', 22,
                                   between(rng, 1, 999)),
                           QStringLiteral("Str. %1 nr. %2").arg(u8(pick(rng, kStreets))).arg(between(rng, 1, 90)),
                           u8(pick(rng, kVillages))});

    if (progress)
        progress->ContorShow(QStringLiteral("Registru demonstrativ..."), contracts);
    Transaction t(db);
    auto insCon = db.prepare(QStringLiteral(
        "INSERT INTO Contract (IDCON, TIPCON, NRCON, NRCPER, DATACON, NRINREG, NRIPER, DATAINREG, EXPIRA, NUME1, CNP1, "
        "ADRESA1, LOC1, JUD1, MAMA, TATA, CISERIA, CINR, CIPOL, ACTP, TELEFON, EMAIL, NOTIFICARI, NUME2, CNP2, ADRESA2, "
        "LOC2, JUD2, SUPRAFT, VALOARE, OBS, TIPPLATA, FISIER) VALUES "
        "(?, ?, ?, '', ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, 'IS', ?, ?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, '')"));
    auto insParc = db.prepare(QStringLiteral(
        "INSERT INTO Parcele (IDCON, IDPARC, ACT, TARLADEN, TARLANR, PARCNR, PARCDET, APARCNR, ACULTNR, BLOCF, NRCAD, "
        "NRCADOLD, CATEG, CULTURA, SUPRAF, SUPU, VECINN, VECINE, VECINS, VECINV, LOCALIT, SIRUTA) VALUES "
        "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    auto insPlata = db.prepare(QStringLiteral(
        "INSERT INTO Plati2 (IDCON, IDPLATA, TIPPLATA, DOCJUS, NRP, DATAP, ANAFERENT, PRODUS, UM, BUC, PRETU, DEPLATA, "
        "PLATA, SCOP) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    auto insLog = db.prepare(QStringLiteral(
        "INSERT INTO Log (IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR) VALUES (?, ?, ?, ?, ?)"));
    const QString op = db.workspace().operatorText.left(16);
    int disposition = 1;

    for (int c = 0; c < contracts; ++c) {
        if (progress && c % 500 == 0)
            progress->ContorStep();
        const bool female = rng() % 3 == 0;
        const int birthYear = between(rng, 1935, 1995);
        const QString lessor = u8(pick(rng, kLastNames)) + u' ' + u8(female ? pick(rng, kFemaleNames) : pick(rng, kMaleNames));
        const QString cnp = makeCnp(birthYear, between(rng, 1, 12), between(rng, 1, 28), female ? 'F' : 'M', 22,
                                    between(rng, 1, 999));
        const Lessee &lessee = lessees[rng() % 3 == 0 ? rng() % lessees.size() : rng() % 4];
        const QDate start = QDate(between(rng, thisYear - 10, thisYear - 1), between(rng, 1, 12), between(rng, 1, 28));
        const QDate expires = start.addYears(between(rng, 5, 10));
        const QString village = u8(pick(rng, kVillages));
        const int nParcels = 1 + static_cast<int>(rng() % 6);
        const qint64 contractId = idcon++;
        const qint64 number = contractId;

        double surface = 0;
        for (int p = 0; p < nParcels; ++p) {
            const double s = dbf::roundDecimal(0.15 + (rng() % 48500) / 10000.0, 4);
            surface += s;
            const int v = static_cast<int>(rng() % std::size(kVillages));
            insParc.exec({contractId, idparc++, QStringLiteral("TP %1/%2").arg(between(rng, 100, 9999)).arg(between(rng, 1991, 2005)),
                          u8(pick(rng, kTarlas)), QString::number(between(rng, 1, 80)), between(rng, 1, 400),
                          rng() % 4 == 0 ? QStringLiteral("/%1").arg(between(rng, 1, 9)) : QString(), between(rng, 1, 300),
                          QString::number(between(rng, 1, 9)), between(rng, 1000000, 9999999),
                          QString::number(between(rng, 60000, 69999)), u8(pick(rng, kCategories)), u8(pick(rng, kCrops)),
                          s, s, QStringLiteral("DE 1%1").arg(between(rng, 10, 99)), QString(u8(pick(rng, kLastNames)) + QStringLiteral(" V.")),
                          rng() % 2 ? QStringLiteral("CANAL") : QString(u8(pick(rng, kLastNames)) + QStringLiteral(" I.")),
                          QString(u8(pick(rng, kLastNames)) + QStringLiteral(" M.")), u8(kVillages[v]), kSiruta[v]});
            ++sum.parcels;
        }
        surface = dbf::roundDecimal(surface, 4);
        const char *kind = pick(rng, kPaymentKinds);
        const QString kindText = u8(kind);
        double value = 0;
        double perYear = 0; // lei due each year
        if (kindText == u"KG/HA") {
            value = between(rng, 8, 14) * 100;
            perYear = round2(value * surface * 0.9);
        } else if (kindText == u"PROCENT") {
            value = between(rng, 20, 40);
            perYear = round2(surface * 4000 * value / 100 * 0.5);
        } else if (kindText == u"EURO") {
            value = between(rng, 120, 250);
            perYear = round2(value * surface * 4.95);
        } else if (kindText == u"PRET FIX") {
            value = between(rng, 5, 60) * 100;
            perYear = value;
        } else {
            value = between(rng, 60, 140) * 10;
            perYear = round2(value * surface);
        }
        insCon.exec({contractId, rng() % 10 == 0 ? QStringLiteral("CONCESIUNE") : QStringLiteral("ARENDA"), number, start,
                     number, start.addDays(between(rng, 0, 20)), expires, lessor, cnp,
                     QStringLiteral("Str. %1 nr. %2").arg(u8(pick(rng, kStreets))).arg(between(rng, 1, 150)), village,
                     county, u8(pick(rng, kFemaleNames)), u8(pick(rng, kMaleNames)),
                     QString::number(between(rng, 100000, 999999)), QStringLiteral("SPCLEP Iasi"),
                     QStringLiteral("Titlu de proprietate nr. %1/%2").arg(between(rng, 100, 9999)).arg(between(rng, 1991, 2005)),
                     rng() % 2 ? QStringLiteral("07%1").arg(between(rng, 20000000, 99999999)) : QString(),
                     rng() % 5 == 0 ? QString(lessor.section(u' ', 0, 0).toLower() + QStringLiteral("@example.ro")) : QString(),
                     lessee.name, lessee.code, lessee.address, lessee.locality, county, surface, value,
                     rng() % 8 == 0 ? QStringLiteral("Plata la 1 noiembrie") : QString(), kindText});

        // Amounts due and payments for the years the contract ran, at most the last five.
        const int firstYear = std::max(start.year(), thisYear - 5);
        const int lastYear = std::min(expires.year(), thisYear);
        for (int year = firstYear; year <= lastYear; ++year) {
            const QDate due(year, 10, between(rng, 1, 28));
            if (due > today)
                break;
            insPlata.exec({contractId, idplata++, 0, QStringLiteral("Calcul arenda"), QString(), due, year, QStringLiteral("LEI"),
                           QString(), 0.0, 0.0, perYear, 0.0, QStringLiteral("Arenda anul %1").arg(year)});
            ++sum.payments;
            if (year == thisYear && rng() % 2)
                continue; // not paid yet
            const QDate paid = due.addDays(between(rng, 1, 60));
            if (rng() % 4 == 0) { // paid in wheat
                const double price = 1.0 + between(rng, 0, 40) / 100.0;
                const double kg = std::floor(perYear / price);
                insPlata.exec({contractId, idplata++, 1, QStringLiteral("Aviz de insotire"), QString::number(disposition++),
                               paid, year, QStringLiteral("Grau"), QStringLiteral("kg"), kg, price, 0.0, round2(kg * price),
                               QStringLiteral("Arenda anul %1 in produse").arg(year)});
            } else {
                insPlata.exec({contractId, idplata++, 0,
                               rng() % 3 ? QStringLiteral("Dispozitie de plata") : QStringLiteral("Ordin de plata"),
                               QString::number(disposition++), paid, year, QStringLiteral("LEI"), QString(), 0.0, 0.0, 0.0,
                               perYear, QStringLiteral("Arenda anul %1").arg(year)});
            }
            ++sum.payments;
        }
        insLog.exec({idlog++, start, QStringLiteral("%1:%2:%3").arg(between(rng, 8, 16), 2, 10, QLatin1Char('0'))
                                         .arg(between(rng, 0, 59), 2, 10, QLatin1Char('0'))
                                         .arg(between(rng, 0, 59), 2, 10, QLatin1Char('0')),
                     QStringLiteral("Adaugare Contract Nr.%1 / %2, %3.").arg(number).arg(start.toString(QStringLiteral("dd.MM.yyyy")), lessor),
                     op});
        ++sum.logLines;
        ++sum.contracts;
    }
    t.commit();
    settings.SetNextId(QStringLiteral("IDCON"), static_cast<double>(idcon));
    settings.SetNextId(QStringLiteral("IDPARC"), static_cast<double>(idparc));
    settings.SetNextId(QStringLiteral("IDPLATA"), static_cast<double>(idplata));
    settings.SetNextId(QStringLiteral("IDLOG"), static_cast<double>(idlog));
    if (progress)
        progress->ContorHide();
    return sum;
}

} // namespace ogx
