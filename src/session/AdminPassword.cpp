#include "session/AdminPassword.h"

#include "datastore/TextCodec.h"

#include <QList>

#include <cstdint>

namespace ogx {
namespace {

// The linear congruential generator the scrambling is defined by.
class Scrambler {
public:
    explicit Scrambler(std::uint32_t seed) : m_state(seed) {}
    // A number from 0 to n - 1 (0 when n is 0).
    std::uint32_t next(std::uint32_t n)
    {
        m_state = m_state * 134775813u + 1u;
        return std::uint32_t((std::uint64_t(m_state) * n) >> 32);
    }

private:
    std::uint32_t m_state;
};

QByteArray toBytes(const QString &text)
{
    QByteArray out;
    QByteArray all;
    if (toCp1250(text, all))
        return all;
    for (const char32_t c : text.toUcs4()) {
        QByteArray one;
        if (toCp1250(QString::fromUcs4(&c, 1), one) && one.size() == 1)
            out.append(one);
        else
            out.append('?');
    }
    return out;
}

} // namespace

QByteArray CodeazaBytes(QByteArray s)
{
    std::uint32_t sum = 0;
    for (const char c : s)
        sum += static_cast<unsigned char>(c);
    Scrambler r(sum);

    const std::uint32_t k = r.next(30) + 6;
    for (std::uint32_t i = 0; i < k; ++i) {
        const std::uint32_t p = r.next(std::uint32_t(s.size())) + 1;
        const char ch = char(r.next(150) + 32);
        s.insert(qsizetype(p - 1), ch);
    }
    const std::uint32_t m = r.next(50) + 50;
    s.prepend(' ');
    // Positions count from 1; the first byte is the exchange place.
    auto at = [&s](std::uint32_t pos) -> char & { return s[qsizetype(pos - 1)]; };
    for (std::uint32_t i = 0; i < m; ++i) {
        const std::uint32_t a = r.next(std::uint32_t(s.size() - 2)) + 2;
        const std::uint32_t b = r.next(std::uint32_t(s.size() - 2)) + 2;
        at(1) = at(a);
        at(a) = at(b);
        at(b) = at(1);
    }
    return s;
}

QString CodeazaStr(const QString &text)
{
    return fromCp1250(CodeazaBytes(toBytes(text)));
}

bool PasswordMatches(const QString &stored, const QString &typed)
{
    return CodeazaStr(typed).trimmed() == stored.trimmed();
}

QString StoredAdminPassword(const Settings &settings)
{
    return settings.ReadSetting(QStringLiteral("INIT"), QStringLiteral("WIN"));
}

bool HasAdminPassword(const Settings &settings)
{
    return !StoredAdminPassword(settings).isEmpty();
}

void SetAdminPassword(const Settings &settings, const QString &password)
{
    settings.WriteSetting(QStringLiteral("INIT"), QStringLiteral("WIN"),
                          password.isEmpty() ? QString() : CodeazaStr(password));
}

void ClearAdminPassword(const Settings &settings)
{
    settings.WriteSetting(QStringLiteral("INIT"), QStringLiteral("WIN"), QString());
}

bool VerifyAdminPassword(const Settings &settings, const QString &password)
{
    const QString stored = StoredAdminPassword(settings);
    return !stored.isEmpty() && PasswordMatches(stored, password);
}

} // namespace ogx

namespace ogx {

AdminPasswordCommandResult RunAdminPasswordCommand(const Settings &settings, const QStringList &args)
{
    const QString usage = QStringLiteral("usage: admin-password set TEXT | admin-password clear | admin-password verify TEXT");
    const QString verb = args.value(0);
    if (verb == QStringLiteral("set") && args.size() == 2) {
        SetAdminPassword(settings, args[1]);
        return {0, args[1].isEmpty() ? QStringLiteral("password removed") : QStringLiteral("password set")};
    }
    if (verb == QStringLiteral("clear") && args.size() == 1) {
        ClearAdminPassword(settings);
        return {0, QStringLiteral("password removed")};
    }
    if (verb == QStringLiteral("verify") && args.size() == 2) {
        const bool ok = VerifyAdminPassword(settings, args[1]);
        return {ok ? 0 : 1, ok ? QStringLiteral("true") : QStringLiteral("false")};
    }
    return {2, usage};
}

} // namespace ogx
