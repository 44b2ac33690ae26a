#pragma once
// Files shipped inside the program (Qt resources ":/res/<type>/<name>") and written out
// of it: the templates installed into the Data directory and the icon of backup archives.

#include "datastore/Workspace.h"

#include <QString>

namespace ogx {

// Resource path of a shipped file.
QString resourcePath(const QString &name, const QString &type);

// Deletes the target, then writes the resource's bytes to it. False, without a message,
// when the target is in use (an office lock file beside it) or cannot be deleted or
// written, or when the program ships no such resource. Never leaves a partial target.
bool ExtractResourceFile(const QString &name, const QString &type, const QString &target);

// Installs every shipped template (and the archive icon) that is missing from its place;
// a file already there is left as the operator may have edited it. Failures are silent:
// a report or document that needs a missing template calls this again first.
void InstallTemplates(const Workspace &ws);

} // namespace ogx
