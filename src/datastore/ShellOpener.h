#pragma once
// Opens a produced file (report, document, template) with the desktop's associated
// application. The GUI opens it; ogorix-cli and tests record the path instead.

#include <QString>
#include <QStringList>

namespace ogx {

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // Returns false when the file could not be handed to an application.
    virtual bool open(const QString &path) = 0;
};

// Remembers what would have been opened.
class RecordingShellOpener final : public ShellOpener {
public:
    bool open(const QString &path) override { opened.append(path); return true; }
    QStringList opened;
};

} // namespace ogx
