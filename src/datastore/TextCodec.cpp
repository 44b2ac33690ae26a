#include "datastore/TextCodec.h"

#include "datastore/Error.h"
#include "dbf/Cp1250.h"

namespace ogx {

QString fromCp1250(QByteArrayView bytes)
{
    const std::string utf8 = dbf::cp1250ToUtf8(std::string_view(bytes.data(), std::size_t(bytes.size())));
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

bool toCp1250(const QString &text, QByteArray &out)
{
    const QByteArray utf8 = text.toUtf8();
    std::string bytes;
    if (!dbf::utf8ToCp1250(std::string_view(utf8.constData(), std::size_t(utf8.size())), bytes))
        return false;
    out = QByteArray(bytes.data(), qsizetype(bytes.size()));
    return true;
}

QByteArray toCp1250(const QString &text, const QString &what)
{
    const QByteArray utf8 = text.toUtf8();
    std::string bytes;
    char32_t bad = 0;
    if (!dbf::utf8ToCp1250(std::string_view(utf8.constData(), std::size_t(utf8.size())), bytes, &bad)) {
        const QString ch = bad == 0xFFFD ? QString() : QString::fromUcs4(&bad, 1);
        throw Error(QStringLiteral("%1: caracterul \"%2\" (%3) nu poate fi scris in pagina de cod 1250")
                        .arg(what, ch, QString::fromStdString(dbf::codePointName(bad))));
    }
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace ogx
