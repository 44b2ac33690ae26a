#pragma once
// The unit's identity, the tax constants and the two paths of the administration window,
// loaded once at start-up. Every part of the program reads them here, as the window left
// them (typed values stay for the rest of the run even when they were not stored).

#include "datastore/Settings.h"

#include <QString>
#include <QStringList>

namespace ogx {

struct AdminSettings {
    int tipLoc = 0;      // position in localityTypes()
    QString comuna;      // "Denumire Unitate"
    int judet = 0;       // position in counties()
    double bazac = 60;   // taxable base, percent
    double impozit = 10; // income tax, percent
    double cassp = 5.5;  // health contribution, percent
    double salarMin = 3300;
    double pretGrau = 1; // lei per kg
    QString backupFolder = QStringLiteral("-"); // "-": automatic backups are off
    QString serverPath = QStringLiteral("-");   // "-": local work

    QString localityType() const;  // "COMUNA", "ORASUL" or "MUNICIPIUL"
    QString county() const;        // "ALBA", ...
    bool automaticBackupOn() const { return backupFolder.trimmed() != QStringLiteral("-") && !backupFolder.trimmed().isEmpty(); }

    static const QStringList &localityTypes();
    // The 42 counties in the order stored positions refer to.
    static const QStringList &counties();
};

// Folder for automatic backups when none is configured: "<home>/Salvari_Ogorix", created
// when missing. Empty when it can neither be found nor created.
QString defaultBackupFolder(const QString &home);

// Fills `out` from the settings files. A missing "CALESALVARI" takes the default folder
// (stored as "CALESALVARI" when it exists or could be made, else "-" for this run only);
// a missing "SERVER" reads as "-"; a constant that is absent or not a number keeps the
// value `out` already holds.
void LoadAdminSettings(const Settings &settings, AdminSettings &out, const QString &home);

// Stores the locality type, the name (cleaned), the county and the five constants.
void SaveAdminSettings(const Settings &settings, const AdminSettings &values);

} // namespace ogx
