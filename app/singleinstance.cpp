#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace kovalt {
namespace {
const QByteArray activateMessage = QByteArrayLiteral("activate\n");
constexpr int claimAttempts = 50;
constexpr int waitMs = 2000;
} // namespace

SingleInstance::SingleInstance(const QString& programFilePath, QObject* parent)
    : QObject(parent), m_key(KeyFor(programFilePath, CurrentUserId()))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::KeyFor(const QString& programFilePath, const QString& userId)
{
    const QByteArray id = programFilePath.toLower().toUtf8() + '\0' + userId.toUtf8();
    return QStringLiteral("kovalt05-") +
           QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha256).toHex().left(32));
}

bool SingleInstance::claim()
{
    // An instance that is starting or ending may neither listen nor answer for a moment: retry.
    for (int attempt = 0; attempt < claimAttempts; ++attempt) {
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (server->listen(m_key)) {
            m_server = server;
            connect(m_server, &QLocalServer::newConnection, this, [this] {
                while (QLocalSocket* s = m_server->nextPendingConnection()) {
                    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                    connect(s, &QLocalSocket::readyRead, this, [this, s] {
                        if (s->readAll().contains("activate"))
                            emit activateRequested();
                    });
                }
            });
            return true;
        }
        delete server;
        if (askRunning())
            return false;
        QThread::msleep(20);
    }
    // Neither claimed nor answered: better a second bar than none.
    return true;
}

bool SingleInstance::askRunning()
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
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
