#pragma once
// Associates backup archives (.ogx) with Ogorix on the desktop: a shared-mime-info package
// and a .desktop entry in the user's data directory. Nothing is rewritten when the
// association is already there (a change made by hand stays); failures are ignored by the
// caller.

#include <QString>

namespace ogx {

struct FileTypeRegistration {
    QString dataHome;        // $XDG_DATA_HOME (~/.local/share)
    bool runDesktopTools = true; // refresh the mime and desktop databases after writing
};

// Returns true when the association was written now, false when it was already there or
// could not be written.
bool RegisterFileType(const QString &extension, const QString &executablePath, const QString &iconPath,
                      const FileTypeRegistration &where);

// The user's $XDG_DATA_HOME.
QString userDataHome();

} // namespace ogx
