#pragma once
// Where the workspace (the program directory of the system) and the machine settings live.

#include <QString>

namespace ogx {

// In this order: `--workspace DIR`, the OGORIX_HOME environment variable, the executable's
// directory when a file "ogorix.portable" stands beside it, else $XDG_DATA_HOME/Ogorix
// (~/.local/share/Ogorix). The result is absolute and has no trailing separator.
QString locateWorkspace(const QString &commandLineWorkspace, const QString &executableDir);

// OGORIX_MACHINE_DIR, else $XDG_CONFIG_HOME/Ogorix (~/.config/Ogorix): the folder of the
// machine settings file, shared by every workspace of this user.
QString locateMachineDir();

} // namespace ogx
