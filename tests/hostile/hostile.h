#pragma once

// What the hostile-peer tests share: the process's memory as /proc tells it, a watch that proves
// the event loop runs and paints while a check is busy, and the hostile MySQL peer.

#include "fixtures/portserver.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace hostile {

/// Generous: a peer offers far more than this, the bar may take a few MB for its own work.
constexpr qint64 kMemoryBoundKb = 64 * 1024;

/// One field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when there is none.
inline qint64 StatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

/// How far the peak resident size rose above the resident size at the start. The peak is reset
/// at the start where the kernel allows it, so earlier tests do not count.
class MemoryWatch {
public:
    MemoryWatch() {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (reset.open(QIODevice::WriteOnly)) reset.write("5\n");
        m_startRss = StatusKb("VmRSS");
        m_startPeak = StatusKb("VmHWM");
    }
    bool valid() const { return m_startRss > 0 && m_startPeak > 0; }
    /// The growth of the peak over the start, in kB.
    qint64 peakGrowthKb() const {
        const qint64 peak = StatusKb("VmHWM");
        // Without the reset the old peak may stand above everything the test did.
        return peak > m_startPeak ? peak - m_startRss : qMax<qint64>(0, StatusKb("VmRSS") - m_startRss);
    }

private:
    qint64 m_startRss = -1;
    qint64 m_startPeak = -1;
};

/// Counts timer ticks while busy() holds, and separately those while waiting() has held too (the
/// peer has the connection and owes an answer; once true it stays true), and the paints of the
/// window and its children while busy() holds. Every 32nd tick asks the window to repaint, so a
/// loop that runs also paints; no more often, so that a sanitizer's hold on freed memory stays
/// out of the memory figures.
class BusyWatch : public QObject {
public:
    BusyWatch(QWidget* window, std::function<bool()> busy, std::function<bool()> waiting = {})
        : m_window(window), m_busy(std::move(busy)), m_waiting(std::move(waiting)) {
        QCoreApplication::instance()->installEventFilter(this);
        m_timer.setInterval(1);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (!m_busy()) return;
            if (++ticks % 32 == 1) m_window->update();
            if (!m_waited && m_waiting) m_waited = m_waiting();
            if (m_waited) ++waitingTicks;
        });
        m_timer.start();
    }
    ~BusyWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

    int ticks = 0;
    int waitingTicks = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            (watched == m_window || m_window->isAncestorOf(static_cast<QWidget*>(watched))) && m_busy())
            ++paints;
        return false;
    }

private:
    QWidget* m_window;
    std::function<bool()> m_busy;
    std::function<bool()> m_waiting;
    bool m_waited = false;
    QTimer m_timer;
};

/// tests/fixtures/mysqlhostile/mysqlpeer.py on a free port of 127.0.0.1, stopped with the object;
/// its log has "CONNECT", "SENT n" and "DISCONNECT" lines.
class MysqlPeer : public PortServer {
public:
    MysqlPeer(const QString& mode, const QString& logPath, const QStringList& extraArgs = {})
        : PortServer(qEnvironmentVariable("KOVALT_PEER_PYTHON", QStringLiteral("python3")),
                     QStringLiteral("mysqlhostile/mysqlpeer.py"),
                     QStringList{QStringLiteral("--mode"), mode, QStringLiteral("--log"), logPath} + extraArgs, logPath,
                     QStringLiteral("MySQL peer")) {}
};

} // namespace hostile
