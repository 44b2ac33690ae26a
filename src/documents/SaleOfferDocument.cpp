#include "documents/SaleOfferDocument.h"

#include "datastore/Helpers.h"
#include "dbf/Numbers.h"
#include "documents/RtfReplace.h"
#include "text/AmountInWords.h"
#include "text/CnpInfo.h"

namespace ogx {

bool SalePriceAccepted(const QString &pret)
{
    const std::optional<double> v = dbf::parseNumber(pret.toStdString());
    return v && *v >= 1;
}

RtfPairs SaleOfferPairs(const ContractRecord &c, const ParcelRecord &p, const QString &price, const QDate &today)
{
    QString parcelNumber = numberText(p.PARCNR);
    if (!p.PARCDET.trimmed().isEmpty())
        parcelNumber += u'/' + p.PARCDET.trimmed();
    return {
        {QStringLiteral("[JUDET]"), c.JUD1},
        {QStringLiteral("[LOCALIT]"), p.LOCALIT},
        {QStringLiteral("[LOC1]"), c.LOC1},
        {QStringLiteral("[JUD1]"), c.JUD1},
        {QStringLiteral("[ADRESA1]"), c.ADRESA1},
        {QStringLiteral("[PRIMARIA]"), QStringLiteral("U.A.T. ") + p.LOCALIT},
        {QStringLiteral("[NUME1]"), c.NUME1},
        {QStringLiteral("[CNP1]"), c.CNP1},
        {QStringLiteral("[CISERIA]"), c.CISERIA},
        {QStringLiteral("[CINR]"), c.CINR},
        {QStringLiteral("[CIPOL]"), c.CIPOL},
        {QStringLiteral("[DATAN]"), dateText(cnp::GetNascutLa(c.CNP1))},
        {QStringLiteral("[NUME2]"), c.NUME2},
        {QStringLiteral("[SUPRAF]"), numberText(p.SUPRAF)},
        {QStringLiteral("[NRCAD]"), p.NRCAD},
        {QStringLiteral("[NRCADOLD]"), p.NRCADOLD},
        {QStringLiteral("[DATAC]"), dateText(today)},
        {QStringLiteral("[NRTARLA]"), p.TARLANR},
        {QStringLiteral("[NRPARC]"), parcelNumber},
        {QStringLiteral("[CATEG]"), p.CATEG},
        {QStringLiteral("[TARLA]"), p.TARLADEN},
        {QStringLiteral("[VECINN]"), p.VECINN},
        {QStringLiteral("[VECINE]"), p.VECINE},
        {QStringLiteral("[VECINS]"), p.VECINS},
        {QStringLiteral("[VECINV]"), p.VECINV},
        {QStringLiteral("[PRET]"), price},
        {QStringLiteral("[PRETL]"), AmountInWords(price)},
    };
}

SaleOfferDocument::SaleOfferDocument(const Workspace &ws, ShellOpener &shell, const Clock &clock)
    : m_ws(ws), m_shell(shell), m_clock(clock)
{
}

QString SaleOfferDocument::Produce(const ContractRecord &contract, const ParcelRecord &parcel, const QString &price)
{
    TRTFReplace rtf(m_shell);
    rtf.RTFSursa = m_ws.dataFile(QStringLiteral("COf.rtf"));
    rtf.RTFDest = MakeTempName(m_ws, QStringLiteral("COF"), QStringLiteral(".rtf"));
    rtf.Start();
    for (const auto &[k, v] : SaleOfferPairs(contract, parcel, price, m_clock.today()))
        rtf.AddPair(k, v);
    rtf.WriteBody(1);
    rtf.Finish();
    rtf.OpenDocument();
    return rtf.RTFDest;
}

} // namespace ogx
