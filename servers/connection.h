#pragma once

#include <QString>
#include <QStringList>

#include <functional>

struct st_mysql;

namespace kovalt {

/// One MySQL/MariaDB connection that is opened and closed again, nothing more: the bar only
/// tests whether its server can be reached. Texts go to the server as cp1250.
class ZConnection {
public:
    ZConnection() = default;
    ~ZConnection();
    ZConnection(const ZConnection&) = delete;
    ZConnection& operator=(const ZConnection&) = delete;

    QString HostName() const { return hostName_; }
    void SetHostName(const QString& value) { hostName_ = value; }
    /// 0 lets the client library choose (3306).
    int Port() const { return port_; }
    void SetPort(int value) { port_ = value; }
    QString User() const { return user_; }
    void SetUser(const QString& value) { user_ = value; }
    QString Password() const { return password_; }
    void SetPassword(const QString& value) { password_ = value; }
    QString Database() const { return database_; }
    void SetDatabase(const QString& value) { database_ = value; }

    static QString ClientCodepage() { return QStringLiteral("cp1250"); }
    static QStringList Properties() { return {QStringLiteral("codepage=cp1250")}; }
    /// Connect, read and write time-outs in seconds.
    static constexpr unsigned kTimeoutSeconds = 10;

    /// Opens the connection; false on every failure (never throws). An empty host name is the
    /// client library's default, "localhost" over the local socket. A text with a character that
    /// cp1250 lacks, or with a NUL, is refused rather than sent altered. Does nothing when
    /// already connected.
    bool Connect();
    /// Closes the connection; nothing happens when it is closed.
    void Disconnect();
    bool Connected() const { return handle_ != nullptr; }

    /// The library's code and text for the last failed Connect (0 and empty after a success);
    /// for diagnostics only, the bar shows neither.
    unsigned LastErrorCode() const { return lastErrorCode_; }
    QString LastError() const { return lastError_; }

private:
    QString hostName_;
    int port_ = 0;
    QString user_;
    QString password_;
    QString database_;
    st_mysql* handle_ = nullptr;
    unsigned lastErrorCode_ = 0;
    QString lastError_;
};

/// The database keys of the active server block.
struct DbSettings {
    QString host;
    QString password;
    QString user;
    QString database = QStringLiteral("kovalt");
    int port = 3306;
};

/// Reads IP, Password, User, Database and SQLport in this order through the given key lookups
/// (text and integer form, each with its default).
DbSettings ReadDbSettings(const std::function<QString(QString key, QString def)>& readText,
                          const std::function<int(QString key, int def)>& readInt);
/// The same from section LogON of the INI file at iniPath; a missing file gives the defaults.
DbSettings ReadDbSettingsFromFile(const QString& iniPath);

/// Sets the settings on the connection, connects and disconnects at once; true when the
/// connection could be opened.
bool TestConnection(ZConnection& connection, const DbSettings& settings);

} // namespace kovalt
