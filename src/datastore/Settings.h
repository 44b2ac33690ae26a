#pragma once
// The settings file "Ogorix.set" of the Data directory and the machine settings file.
//
// Each call opens the file, does its one read or write and closes it, so another
// workstation sees a write at its next read. A write replaces the file atomically
// (temporary file + rename) while holding the settings lock of the Data directory's
// control file, so two programs never interleave their read-modify-write cycles.
// Failures to write throw ogx::Error naming the file and the reason; an unreadable file
// reads as empty (every key absent).

#include "datastore/IniFile.h"
#include "datastore/Workspace.h"

#include <QString>

namespace ogx {

class Settings {
public:
    explicit Settings(const Workspace &ws);

    // Settings file of the Data directory.
    QString ReadSetting(const QString &section, const QString &key) const;
    void WriteSetting(const QString &section, const QString &key, const QString &value) const;
    // Fixed-point with four decimals; 0 when absent or not a number.
    double ReadSettingNumber(const QString &section, const QString &key) const;
    // Written as decimal text with "." and at most four decimals ("5.5", "3300", "1.0151").
    void WriteSettingNumber(const QString &section, const QString &key, double value) const;

    // Section "47" of the machine settings file.
    QString ReadMachineSetting(const QString &key) const;
    void WriteMachineSetting(const QString &key, const QString &value) const;

    // Identifier counters of section "INDEX". NextId reads, adds one and writes under the
    // settings lock, so two programs taking the same key at once get different values.
    QString NextId(const QString &key) const;
    QString PeekId(const QString &key) const;
    void SetNextId(const QString &key, double value) const;

    const IniFile &settingsFile() const { return m_settings; }
    const IniFile &machineFile() const { return m_machine; }

private:
    IniFile m_settings;
    IniFile m_machine;
};

} // namespace ogx
