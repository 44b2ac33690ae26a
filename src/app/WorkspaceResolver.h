#pragma once
// The workspace values of a run without the start-up's side effects: for commands of
// ogorix-cli that only read or change data in an existing workspace.

#include "datastore/Workspace.h"

namespace ogx {

// Local or network mode as the start-up would choose it (the server path is used when it
// holds the tables). Creates the Data, Temp and machine settings directories when
// missing; throws
// ogx::Error when they cannot be created.
Workspace resolveWorkspace(const QString &programDir, const QString &machineDir);

} // namespace ogx
