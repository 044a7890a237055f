// The single-instance guard on Linux: a stream socket in the abstract namespace. The name goes with
// the process: nothing is left behind in the file system, and a killed instance frees it at once.
#include "app/singleinstance.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace kovalt {
namespace {

const QByteArray activateMessage = QByteArrayLiteral("activate\n");
constexpr int waitMs = 2000;
// A caller sends one short line; anything longer is not one of ours.
constexpr qsizetype maxMessage = 64;

// The address of the key in the abstract namespace (a leading zero byte, no terminator).
socklen_t AbstractAddress(const QString& key, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    const QByteArray name = key.toUtf8().left(qsizetype(sizeof address->sun_path) - 1);
    std::memcpy(address->sun_path + 1, name.constData(), size_t(name.size()));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(name.size()));
}

// One caller: collects what it sends until it hangs up.
class Caller : public QObject {
public:
    Caller(int fd, QObject* parent, std::function<void()> activate)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this), m_activate(std::move(activate))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Caller::Read);
    }
    ~Caller() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }

private:
    void Read()
    {
        char buf[128];
        while (true) {
            const ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
            if (n > 0) {
                m_received.append(buf, qsizetype(n));
                if (!m_announced && m_received.contains("activate")) {
                    m_announced = true;
                    m_activate();
                }
                if (m_received.size() > maxMessage)
                    break;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            break; // hung up or failed
        }
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    QSocketNotifier m_notifier;
    std::function<void()> m_activate;
    QByteArray m_received;
    bool m_announced = false;
};

// The listening socket; the callers it accepted are its children.
class Listener : public QObject {
public:
    Listener(int fd, QObject* parent, std::function<void()> activate)
        : QObject(parent), m_fd(fd), m_notifier(fd, QSocketNotifier::Read, this), m_activate(std::move(activate))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Listener::Accept);
    }
    ~Listener() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }

private:
    void Accept()
    {
        while (true) {
            const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0) {
                new Caller(fd, this, m_activate);
                continue;
            }
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // nothing more waiting (or out of descriptors: the rest waits for the next round)
        }
    }

    int m_fd;
    QSocketNotifier m_notifier;
    std::function<void()> m_activate;
};

bool SendAll(int fd, const QByteArray& data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

} // namespace

bool SingleInstance::listen()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_un address;
    const socklen_t length = AbstractAddress(m_key, &address);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return false;
    }
    m_listener = new Listener(fd, this, [this] { announceActivation(); });
    return true;
}

bool SingleInstance::askRunning()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A running instance that has not reached its message loop yet still takes the call into its
    // backlog; a full backlog is waited for, as is the write, at most waitMs each.
    timeval timeout{waitMs / 1000, (waitMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_un address;
    const socklen_t length = AbstractAddress(m_key, &address);
    int rc;
    do
        rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    AllowOtherToForeground();
    const bool written = SendAll(fd, activateMessage);
    ::close(fd);
    return written;
}

} // namespace kovalt
