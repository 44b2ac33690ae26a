#include "app/WorkspaceResolver.h"

#include "app/Startup.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace ogx {

Workspace resolveWorkspace(const QString &programDir, const QString &machineDir)
{
    Workspace ws;
    ws.programDir = programDir;
    ws.machineDir = machineDir;
    ws.dataDir = ws.localDataDir = programDir + QStringLiteral("/Data");
    ws.tempDir = programDir + QStringLiteral("/Temp");
    ws.operatorText = Startup::operatorText();
    for (const QString &dir : {ws.dataDir, ws.tempDir, ws.machineDir})
        if (!QDir().mkpath(dir))
            throw Error(QStringLiteral("Nu pot crea directorul %1").arg(dir));
    const QString server = Settings(ws).ReadMachineSetting(QStringLiteral("SERVER"));
    if (!server.isEmpty() && QFileInfo::exists(server + QStringLiteral("/Contract.dbf"))
        && QFileInfo::exists(server + QStringLiteral("/Parcele.dbf"))
        && QFileInfo::exists(server + QStringLiteral("/Plati2.dbf")))
        ws.dataDir = QDir::cleanPath(server);
    return ws;
}

} // namespace ogx
