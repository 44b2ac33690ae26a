#include "datastore/Settings.h"

#include "dbf/Numbers.h"

namespace ogx {
namespace {

QString machineSection() { return QString::number(Workspace::kProgramNumber); }

double toNumber(const std::optional<QString> &text)
{
    if (!text)
        return 0;
    const auto v = dbf::parseNumber(text->toStdString());
    return v ? dbf::roundDecimal(*v, 4) : 0;
}

QString numberText(double value) { return QString::fromStdString(dbf::formatTrimmed(value, 4)); }

} // namespace

Settings::Settings(const Workspace &ws)
    : m_settings(ws.settingsPath(), ws.lockPath()),
      m_machine(ws.machineSettingsPath(), ws.machineDir + QStringLiteral("/Ogorix.lck"))
{
}

QString Settings::ReadSetting(const QString &section, const QString &key) const
{
    return m_settings.value(section, key).value_or(QString());
}

void Settings::WriteSetting(const QString &section, const QString &key, const QString &value) const
{
    m_settings.setValue(section, key, value);
}

double Settings::ReadSettingNumber(const QString &section, const QString &key) const
{
    return toNumber(m_settings.value(section, key));
}

void Settings::WriteSettingNumber(const QString &section, const QString &key, double value) const
{
    m_settings.setValue(section, key, numberText(value));
}

QString Settings::ReadMachineSetting(const QString &key) const
{
    return m_machine.value(machineSection(), key).value_or(QString());
}

void Settings::WriteMachineSetting(const QString &key, const QString &value) const
{
    m_machine.setValue(machineSection(), key, value);
}

QString Settings::NextId(const QString &key) const
{
    double taken = 0;
    m_settings.update(QStringLiteral("INDEX"), key, [&taken](const std::optional<QString> &current) {
        taken = toNumber(current);
        if (taken == 0)
            taken = 1;
        return numberText(taken + 1);
    });
    return QString::fromStdString(dbf::formatFixed(taken, 0));
}

QString Settings::PeekId(const QString &key) const
{
    double n = ReadSettingNumber(QStringLiteral("INDEX"), key);
    if (n == 0)
        n = 1;
    return QString::fromStdString(dbf::formatFixed(n, 0));
}

void Settings::SetNextId(const QString &key, double value) const
{
    WriteSettingNumber(QStringLiteral("INDEX"), key, value);
}

} // namespace ogx
