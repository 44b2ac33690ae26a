#pragma once
// The workspace values computed once at start-up and read by every part of the program.

#include <QString>

namespace ogx {

struct Workspace {
    static constexpr double kVersion = 1.0151;   // stored and compared with four decimals
    static constexpr int kProgramNumber = 47;     // also the machine settings' section name
    static QString versionText() { return QStringLiteral("1.0151"); }

    QString programDir;    // the workspace folder; in backup mode the backup's working folder
    QString dataDir;       // programDir/Data, the server path in network mode
    QString localDataDir;  // dataDir before the server path was applied
    QString tempDir;       // programDir/Temp (backup mode: working folder/Tmp); removed at the end of a run
    QString machineDir;    // folder of the machine settings file (the system's "Windows directory")
    QString openedBackup;  // the archive worked in; empty outside backup mode
    QString operatorText;  // "<computer> - <user>", written into every log row

    bool networkMode() const { return dataDir != localDataDir; }
    bool backupMode() const { return !openedBackup.isEmpty(); }

    QString settingsPath() const { return dataDir + QStringLiteral("/Ogorix.set"); }
    QString machineSettingsPath() const { return machineDir + QStringLiteral("/Ogorix.ini"); }
    // Control file of the Data directory: table locks, change counters, settings lock.
    QString lockPath() const { return dataDir + QStringLiteral("/Ogorix.lck"); }
    QString dataFile(const QString &name) const { return dataDir + u'/' + name; }
    QString programFile(const QString &name) const { return programDir + u'/' + name; }
};

} // namespace ogx
