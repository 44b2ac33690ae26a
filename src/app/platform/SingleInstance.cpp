#include "app/platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace ogx {

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), m_key(key) {}

QString SingleInstance::defaultKey()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QStringLiteral("user");
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("WAYLAND_DISPLAY");
    display.remove(u'/').remove(u':');
    return QStringLiteral("Ogorix-") + user + u'-' + display;
}

bool SingleInstance::anotherCopyRuns()
{
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(500))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key)) {
        // A copy that crashed leaves its socket behind: nobody answered above, so reuse it.
        QLocalServer::removeServer(m_key);
        if (!m_server->listen(m_key))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *s = m_server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

} // namespace ogx
