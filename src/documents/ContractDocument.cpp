#include "documents/ContractDocument.h"

#include "datastore/Helpers.h"
#include "documents/RtfReplace.h"
#include "text/AmountInWords.h"
#include "text/CnpInfo.h"

#include <QFile>
#include <QFileInfo>

namespace ogx {

namespace {

// Number with its suffix ("12/B"), or the underscores of a number to fill in by hand.
void addNumberAndDate(RtfPairs &pairs, const QString &numberKey, const QString &dateKey, qint64 number,
                      const QString &suffix, const QDate &date)
{
    if (number != 0) {
        QString text = numberText(number);
        if (!suffix.trimmed().isEmpty())
            text += u'/' + suffix.trimmed();
        pairs.append({numberKey, text});
        pairs.append({dateKey, dateText(date)});
    } else {
        pairs.append({numberKey, QString(14, u'_')});
        pairs.append({dateKey, QString(16, u'_')});
    }
}

// The parcel fields in the order of the register's parcel list, with their texts.
QList<std::pair<QString, QString>> parcelFields(const ParcelRecord &p)
{
    return {
        {QStringLiteral("IDCON"), numberText(p.IDCON)},
        {QStringLiteral("IDPARC"), numberText(p.IDPARC)},
        {QStringLiteral("TARLADEN"), p.TARLADEN},
        {QStringLiteral("TARLANR"), p.TARLANR},
        {QStringLiteral("PARCNR"), numberText(p.PARCNR)},
        {QStringLiteral("PARCDET"), p.PARCDET.trimmed().isEmpty() ? QStringLiteral(" ") : u'/' + p.PARCDET.trimmed()},
        {QStringLiteral("BLOCF"), numberText(p.BLOCF)},
        {QStringLiteral("CATEG"), p.CATEG},
        {QStringLiteral("CULTURA"), p.CULTURA},
        {QStringLiteral("SUPRAF"), numberText(p.SUPRAF)},
        {QStringLiteral("SUPU"), numberText(p.SUPU)},
        {QStringLiteral("VECINN"), p.VECINN},
        {QStringLiteral("VECINE"), p.VECINE},
        {QStringLiteral("VECINS"), p.VECINS},
        {QStringLiteral("VECINV"), p.VECINV},
        {QStringLiteral("APARCNR"), numberText(p.APARCNR)},
        {QStringLiteral("ACULTNR"), p.ACULTNR},
        {QStringLiteral("NRCAD"), p.NRCAD},
        {QStringLiteral("NRCADOLD"), p.NRCADOLD},
        {QStringLiteral("LOCALIT"), p.LOCALIT},
        {QStringLiteral("SIRUTA"), numberText(p.SIRUTA)},
        {QStringLiteral("ACT"), p.ACT},
    };
}

QString key(const QString &name) { return u'[' + name + u']'; }

} // namespace

QString ContractTemplateName(const QString &tipCon)
{
    return tipCon == QLatin1String("ARENDA") ? QStringLiteral("ModCon3.rtf") : QStringLiteral("ModCon4.rtf");
}

QString PaymentClause(const QString &tipPlata)
{
    const QString k = tipPlata.trimmed();
    if (k == QLatin1String("LEI"))
        return QStringLiteral("lei/ha sau in produse \u00een echivalentul acestei sume la pretul pietei, in functie de anul productiv");
    if (k == QLatin1String("KG/HA"))
        return QStringLiteral("kg/ha sau \u00een bani, \u00een echivalentul acestei cantitati la pretul pietei, in functie de anul productiv");
    if (k == QLatin1String("PROCENT"))
        return QStringLiteral("% din productia obtinuta sau \u00een bani, \u00een echivalentul acestei cantitati la pretul pietei, in functie de anul productiv");
    if (k == QLatin1String("EURO") || k == QLatin1String("USD"))
        return k + QStringLiteral(" la cursul BNR din ziua platii");
    if (k == QLatin1String("PRET FIX"))
        return QStringLiteral("lei sau in produse \u00een echivalentul acestei sume la pretul pietei, in functie de anul productiv");
    // A kind the editor does not offer (a product name, for instance) reads as itself.
    return k;
}

QString DurationText(const QDate &start, const QDate &end)
{
    if (!start.isValid() || !end.isValid())
        return QString();
    const int months = (end.year() * 12 + end.month()) - (start.year() * 12 + start.month());
    if (months % 12 != 0) {
        const QString n = QString::number(months);
        return n + QStringLiteral(" (") + NumberInWords(n, MasculineEnding) + QStringLiteral(") luni");
    }
    const QString n = QString::number(months / 12);
    return n + QStringLiteral(" (") + NumberInWords(n, MasculineEnding) + QStringLiteral(") ani");
}

RtfPairs ContractPairs(const ContractRecord &c, const QList<ParcelRecord> &parcels)
{
    RtfPairs pairs;
    auto add = [&pairs](const char *name, const QString &value) {
        pairs.append({key(QLatin1String(name)), value});
    };

    // 1. The contract's fields in the order of the register's contract list.
    add("IDCON", numberText(c.IDCON));
    add("TIPCON", c.TIPCON);
    addNumberAndDate(pairs, key(QStringLiteral("NRCON")), key(QStringLiteral("DATACON")), c.NRCON, c.NRCPER,
                     c.DATACON);
    add("NRCPER", c.NRCPER);
    addNumberAndDate(pairs, key(QStringLiteral("NRINREG")), key(QStringLiteral("DATAINREG")), c.NRINREG,
                     c.NRIPER, c.DATAINREG);
    add("NRIPER", c.NRIPER);
    add("EXPIRA", dateText(c.EXPIRA));
    add("NUME1", c.NUME1);
    add("CNP1", c.CNP1);
    add("ADRESA1", c.ADRESA1);
    add("LOC1", c.LOC1);
    add("JUD1", c.JUD1);
    add("MAMA", c.MAMA);
    add("TATA", c.TATA);
    add("CISERIA", c.CISERIA);
    add("CINR", c.CINR);
    add("CIPOL", c.CIPOL);
    add("ACTP", c.ACTP);
    add("TELEFON", c.TELEFON);
    add("EMAIL", c.EMAIL);
    add("NOTIFICARI", c.NOTIFICARI);
    add("NUME2", c.NUME2);
    add("CNP2", c.CNP2);
    add("SUPRAFT", numberText(c.SUPRAFT));
    add("VALOARE", numberText(c.VALOARE));
    add("TIPPLATA", PaymentClause(c.TIPPLATA));
    add("OBS", c.OBS);
    add("FISIER", c.FISIER);
    add("ADRESA2", c.ADRESA2);
    add("LOC2", c.LOC2);
    add("JUD2", c.JUD2);

    // 2. One numbered set per parcel.
    const qsizetype count = parcels.size();
    for (qsizetype k = 1; k <= count; ++k) {
        const QString n = QString::number(k);
        pairs.append({QStringLiteral("[N") + n + u']', n + u'.'});
        for (const auto &[name, value] : parcelFields(parcels.at(k - 1)))
            pairs.append({u'[' + name + n + u']', value});
    }

    // 3. Unused rows of a fixed table of 80 numbered rows print blank.
    const QList<std::pair<QString, QString>> names = parcelFields(ParcelRecord{});
    for (qsizetype k = count + 1; k <= 80; ++k) {
        const QString n = QString::number(k);
        for (const auto &field : names)
            pairs.append({u'[' + field.first + n + u']', QStringLiteral(" ")});
        pairs.append({QStringLiteral("[NRCRT") + n + u']', QStringLiteral(" ")});
    }

    // 4. Birth date and form of address from the lessor's personal code. A company's
    // fiscal code (or no code at all) gives no birth date and the masculine forms.
    if (cnp::GetCorect(c.CNP1, false)) {
        add("DATAN1", dateText(cnp::GetNascutLa(c.CNP1)));
        const bool male = cnp::GetSex(c.CNP1) == QLatin1String("masculin");
        add("DL", male ? QStringLiteral("Dl.") : QStringLiteral("D-na."));
        add("SUBSEMNAT", male ? QStringLiteral("Subsemnatul") : QStringLiteral("Subsemnata"));
    } else {
        add("DATAN1", QStringLiteral(" - "));
        add("DL", QStringLiteral("Dl."));
        add("SUBSEMNAT", QStringLiteral("Subsemnatul"));
    }

    // 5. Duration.
    add("DURATA", DurationText(c.DATACON, c.EXPIRA));
    return pairs;
}

ContractDocument::ContractDocument(const Workspace &ws, ShellOpener &shell) : m_ws(ws), m_shell(shell) {}

QString ContractDocument::storedDocumentPath(qint64 idcon) const
{
    return m_ws.dataFile(QStringLiteral("C") + QString::number(idcon) + QStringLiteral(".rtf"));
}

QString ContractDocument::List(const ContractRecord &contract, const QList<ParcelRecord> &parcels)
{
    const QString templatePath = m_ws.dataFile(ContractTemplateName(contract.TIPCON));
    if (!QFileInfo::exists(templatePath) && installTemplates)
        installTemplates();

    TRTFReplace rtf(m_shell);
    rtf.RTFDest = storedDocumentPath(contract.IDCON);
    if (QFileInfo::exists(rtf.RTFDest)) {
        rtf.OpenDocument();
        return rtf.RTFDest;
    }

    // The working copy stays in the program directory; the next use of the name removes it.
    const QString copy = MakeTempName(m_ws, QStringLiteral("ModCon"), QStringLiteral(".rtf"));
    if (!copy.isEmpty()) {
        QFile::remove(copy);
        QFile::copy(templatePath, copy);
    }
    rtf.RTFSursa = copy;
    DuplicateRtfRow(copy, QStringLiteral("[N*]"), int(parcels.size()) - 1);
    rtf.Start();
    for (const auto &[k, v] : ContractPairs(contract, parcels))
        rtf.AddPair(k, v);
    rtf.WriteBody(1);
    rtf.Finish();
    rtf.OpenDocument();
    if (writeLog)
        writeLog(QStringLiteral("Vizualizare/Listare Contract ") + contract.NUME2);
    return rtf.RTFDest;
}

} // namespace ogx
