#include "connection.h"

#include "util/codepage.h"
#include "util/ini.h"

#include "mariadblib.h"

#include <optional>

namespace kovalt {

namespace {

// The bytes the server gets; none when the text would reach it altered.
std::optional<QByteArray> ToCp1250(const QString& text) {
    if (text.contains(QChar(0))) return std::nullopt;
    QByteArray bytes = EncodeCp1250(text);
    if (DecodeCp1250(bytes) != text) return std::nullopt;
    return bytes;
}

} // namespace

ZConnection::~ZConnection() {
    Disconnect();
}

bool ZConnection::Connect() {
    if (handle_) return true;
    lastErrorCode_ = 0;
    lastError_.clear();
    try {
        const auto host = ToCp1250(hostName_);
        const auto user = ToCp1250(user_);
        const auto password = ToCp1250(password_);
        const auto database = ToCp1250(database_);
        if (!host || !user || !password || !database) {
            lastError_ = QStringLiteral("text not representable in cp1250");
            return false;
        }
        if (port_ < 0 || port_ > 65535) {
            lastError_ = QStringLiteral("port out of range");
            return false;
        }
        QString unavailable;
        const MariaDbLib* db = DbClient(&unavailable);
        if (!db) {
            lastError_ = unavailable;
            return false;
        }
        MYSQL* mysql = db->init(nullptr);
        if (!mysql) {
            lastError_ = QStringLiteral("out of memory");
            return false;
        }
        unsigned timeout = kTimeoutSeconds;
        db->options(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
        db->options(mysql, MYSQL_OPT_READ_TIMEOUT, &timeout);
        db->options(mysql, MYSQL_OPT_WRITE_TIMEOUT, &timeout);
        db->options(mysql, MYSQL_SET_CHARSET_NAME, "cp1250");
        // An empty host is left to the library, which takes it as "localhost".
        const char* hostArg = host->isEmpty() ? nullptr : host->constData();
        const char* databaseArg = database->isEmpty() ? nullptr : database->constData();
        if (!db->real_connect(mysql, hostArg, user->constData(), password->constData(), databaseArg,
                                static_cast<unsigned>(port_), nullptr, 0)) {
            lastErrorCode_ = db->error_code(mysql);
            lastError_ = DecodeCp1250(QByteArray(db->error_text(mysql)));
            db->close(mysql);
            return false;
        }
        handle_ = mysql;
        return true;
    } catch (...) {
        lastError_ = QStringLiteral("unexpected error");
        return false;
    }
}

void ZConnection::Disconnect() {
    if (!handle_) return;
    // A connection was opened, so the library is there.
    DbClient()->close(handle_);
    handle_ = nullptr;
}

DbSettings ReadDbSettings(const std::function<QString(QString key, QString def)>& readText,
                          const std::function<int(QString key, int def)>& readInt) {
    DbSettings s;
    s.host = readText(QStringLiteral("IP"), QString());
    s.password = readText(QStringLiteral("Password"), QString());
    s.user = readText(QStringLiteral("User"), QString());
    s.database = readText(QStringLiteral("Database"), QStringLiteral("kovalt"));
    s.port = readInt(QStringLiteral("SQLport"), 3306);
    return s;
}

DbSettings ReadDbSettingsFromFile(const QString& iniPath) {
    const QString section = QStringLiteral("LogON");
    return ReadDbSettings(
        [&](const QString& key, const QString& def) { return IniFileReadString(iniPath, section, key, def); },
        [&](const QString& key, int def) { return IniFileReadInt(iniPath, section, key, def); });
}

bool TestConnection(ZConnection& connection, const DbSettings& settings) {
    connection.Disconnect();
    connection.SetHostName(settings.host);
    connection.SetPassword(settings.password);
    connection.SetUser(settings.user);
    connection.SetDatabase(settings.database);
    connection.SetPort(settings.port);
    const bool ok = connection.Connect();
    connection.Disconnect();
    return ok;
}

} // namespace kovalt
