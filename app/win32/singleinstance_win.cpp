// The single-instance guard on Windows: a named pipe through Qt's local socket.
#include "app/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace kovalt {
namespace {
const QByteArray activateMessage = QByteArrayLiteral("activate\n");
constexpr int waitMs = 2000;
} // namespace

bool SingleInstance::listen()
{
    auto* server = new QLocalServer(this);
    if (!server->listen(m_key)) {
        delete server;
        return false;
    }
    m_listener = server;
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket* s = server->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("activate"))
                    announceActivation();
            });
        }
    });
    return true;
}

bool SingleInstance::askRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_key);
    if (!socket.waitForConnected(waitMs))
        return false;
    AllowOtherToForeground();
    socket.write(activateMessage);
    const bool written = socket.waitForBytesWritten(waitMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(waitMs);
    return written;
}

} // namespace kovalt
