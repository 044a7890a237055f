#pragma once

#include <QObject>
#include <QString>

namespace kovalt {

/// Lets one process per program file (path compared without regard to case) and logged-on user
/// run. The claim is the listen() on a name derived from both: the first to listen wins, a later
/// process asks the winner to come to the front and leaves.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programFilePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    /// True when this process may run; false after the running instance was asked to activate.
    bool claim();
    /// The name the guard listens on (for tests).
    QString key() const { return m_key; }
    static QString KeyFor(const QString& programFilePath, const QString& userId);

signals:
    /// A later start of the same program file asked this instance to come to the front.
    void activateRequested();

private:
    // Platform parts (posix/, win32/): start listening on the key, or ask the one listening.
    bool listen();
    bool askRunning();
    void announceActivation() { emit activateRequested(); }
    QString m_key;
    // The listening end, a child of this object; null while not claimed.
    QObject* m_listener = nullptr;
};

/// Platform seams (posix/, win32/).
QString CurrentUserId();
/// Lets the running instance take the foreground when asked by this process.
void AllowOtherToForeground();

} // namespace kovalt
