// words and validate: amounts in words and the checks of personal and fiscal codes.

#include "cli/Cli.h"
#include "text/AmountInWords.h"
#include "text/CodeChecks.h"

namespace ogx {
namespace {

int words(Cli &cli, const QStringList &args)
{
    if (args.size() == 2 && args[0] == QStringLiteral("--number")) {
        cli.out() << NumberInWords(args[1], MasculineEnding) << Qt::endl;
        return CliOk;
    }
    if (args.size() != 1 || args[0].startsWith(QStringLiteral("--")))
        return cli.usageError(QStringLiteral("folosire: words SUMA | words --number N"));
    cli.out() << AmountInWords(args[0]) << Qt::endl;
    return CliOk;
}

int validate(Cli &cli, const QStringList &args)
{
    const struct { const char *kind; bool (*check)(const QString &); } checks[] = {
        {"cnp", CheckCnp}, {"cif", CheckCif}, {"email", CheckEmail}, {"phone", CheckPhone}};
    if (args.size() == 2)
        for (const auto &c : checks)
            if (args[0] == QLatin1String(c.kind)) {
                const bool ok = c.check(args[1]);
                cli.out() << (ok ? "valid" : "invalid") << Qt::endl;
                return ok ? CliOk : CliFailed;
            }
    return cli.usageError(QStringLiteral("folosire: validate cnp|cif|email|phone TEXT"));
}

} // namespace

void addTextCommands(Cli &cli)
{
    cli.addCommand(QStringLiteral("words"),
                   QStringLiteral("words SUMA | words --number N   suma (lei si bani) sau numarul in litere"), words);
    cli.addCommand(QStringLiteral("validate"),
                   QStringLiteral("validate cnp|cif|email|phone TEXT   verifica un cod: valid / invalid"), validate);
}

} // namespace ogx
