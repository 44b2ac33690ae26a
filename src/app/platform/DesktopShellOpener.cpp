#include "app/platform/DesktopShellOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace ogx {

bool DesktopShellOpener::open(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace ogx
