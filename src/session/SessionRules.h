#pragma once
// The rules of a session that need no window: the backup question at the end of a run,
// the server and backup folder checks of the administration, the clean-up of help files.

#include "datastore/Prompter.h"
#include "datastore/Workspace.h"
#include "session/AdminSettings.h"

#include <QString>

namespace ogx {

// Rights chosen at login; they hold until the end of the run.
struct SessionState {
    bool loggedIn = false;
    bool readOnly = false;
};

// Asks, when the run ends, whether the data are to be backed up. `contracteShown`: the
// operator logged in (and no restore replaced the data). In backup mode the archive's
// changes are offered first; otherwise, or after a no, outside network mode and with an
// automatic backup folder, a copy of today's data is offered.
bool DecideBackupOnClose(Prompter &prompter, const Workspace &ws, bool contracteShown,
                         const AdminSettings &admin);

// Removes "Manual.pdf" and "Pop1.pdf" .. "Pop7.pdf" from the program directory.
void DeleteHelpLeftovers(const QString &programDir);

// A chosen folder without its trailing separator ("/" itself stays).
QString WithoutTrailingSeparator(QString folder);

enum class ServerFolderCheck {
    Local,      // the Data directory or the local Data directory itself
    Complete,   // holds Contract.dbf, Parcele.dbf and Plati2.dbf
    Incomplete,
};
ServerFolderCheck CheckServerFolder(const Workspace &ws, const QString &folder);

// True when a file "test.txt" can be created in the folder (it is removed again).
bool CanWriteFolder(const QString &folder);

} // namespace ogx
