#pragma once
// Opens produced files with the desktop's associated application.

#include "datastore/ShellOpener.h"

namespace ogx {

class DesktopShellOpener final : public ShellOpener {
public:
    bool open(const QString &path) override;
};

} // namespace ogx
