#include "session/AdminSettings.h"

#include "datastore/Helpers.h"
#include "dbf/Numbers.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace ogx {

const QStringList &AdminSettings::localityTypes()
{
    static const QStringList list{QStringLiteral("COMUNA"), QStringLiteral("ORASUL"), QStringLiteral("MUNICIPIUL")};
    return list;
}

const QStringList &AdminSettings::counties()
{
    static const QStringList list = [] {
        QStringList l;
        for (const char *c : {"ALBA", "ARAD", "ARGES", "BACAU", "BIHOR", "BISTRITA-NASAUD", "BOTOSANI",
                              "BRASOV", "BRAILA", "BUZAU", "CARAS-SEVERIN", "CALARASI", "CLUJ", "CONSTANTA",
                              "COVASNA", "DAMBOVITA", "DOLJ", "GALATI", "GIURGIU", "GORJ", "HARGHITA",
                              "HUNEDOARA", "IALOMITA", "IASI", "ILFOV", "MARAMURES", "MEHEDINTI", "MURES",
                              "NEAMT", "OLT", "PRAHOVA", "SATU-MARE", "SALAJ", "SIBIU", "SUCEAVA",
                              "TELEORMAN", "TIMIS", "TULCEA", "VASLUI", "VALCEA", "VRANCEA", "BUCURESTI"})
            l.append(QLatin1String(c));
        return l;
    }();
    return list;
}

QString AdminSettings::localityType() const
{
    return localityTypes().value(tipLoc, localityTypes().first());
}

QString AdminSettings::county() const
{
    return counties().value(judet, counties().first());
}

QString defaultBackupFolder(const QString &home)
{
    if (home.isEmpty())
        return {};
    const QString folder = QDir(home).absoluteFilePath(QStringLiteral("Salvari_Ogorix"));
    if (QFileInfo(folder).isDir() || QDir().mkpath(folder))
        return QDir::cleanPath(folder);
    return {};
}

namespace {

// Whole part of a stored position, clamped into the list (a damaged value selects the first).
int position(double stored, qsizetype count)
{
    const double whole = std::trunc(stored);
    if (!(whole >= 0) || whole >= double(count))
        return 0;
    return int(whole);
}

void readConstant(const Settings &settings, const char *key, double &value)
{
    const QString text = settings.ReadSetting(QStringLiteral("CONST"), QLatin1String(key)).trimmed();
    if (text.isEmpty())
        return;
    const auto v = dbf::parseNumber(text.toStdString());
    if (v)
        value = dbf::roundDecimal(*v, 4);
}

} // namespace

void LoadAdminSettings(const Settings &settings, AdminSettings &out, const QString &home)
{
    QString backup = settings.ReadMachineSetting(QStringLiteral("CALESALVARI"));
    if (backup.isEmpty()) {
        backup = defaultBackupFolder(home);
        if (backup.isEmpty())
            backup = QStringLiteral("-");
        else
            settings.WriteMachineSetting(QStringLiteral("CALESALVARI"), backup);
    }
    out.backupFolder = backup;

    const QString server = settings.ReadMachineSetting(QStringLiteral("SERVER"));
    out.serverPath = server.isEmpty() ? QStringLiteral("-") : server;

    out.tipLoc = position(settings.ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("TIPLOC")),
                          AdminSettings::localityTypes().size());
    out.judet = position(settings.ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("JUDET")),
                         AdminSettings::counties().size());
    out.comuna = settings.ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"));

    readConstant(settings, "CASSP", out.cassp);
    readConstant(settings, "BAZAC", out.bazac);
    readConstant(settings, "IMPOZIT", out.impozit);
    readConstant(settings, "SALARMIN", out.salarMin);
    readConstant(settings, "PRETGRAU", out.pretGrau);
}

void SaveAdminSettings(const Settings &settings, const AdminSettings &values)
{
    const QString c = QStringLiteral("CONST");
    settings.WriteSettingNumber(c, QStringLiteral("TIPLOC"), values.tipLoc);
    settings.WriteSettingNumber(c, QStringLiteral("JUDET"), values.judet);
    settings.WriteSetting(c, QStringLiteral("COMUNA"), CleanText(values.comuna));
    settings.WriteSettingNumber(c, QStringLiteral("CASSP"), values.cassp);
    settings.WriteSettingNumber(c, QStringLiteral("BAZAC"), values.bazac);
    settings.WriteSettingNumber(c, QStringLiteral("IMPOZIT"), values.impozit);
    settings.WriteSettingNumber(c, QStringLiteral("SALARMIN"), values.salarMin);
    settings.WriteSettingNumber(c, QStringLiteral("PRETGRAU"), values.pretGrau);
}

} // namespace ogx
