#pragma once

// The private MariaDB server of the test run, as the mariadb fixture describes it.

#include <QFile>
#include <QHash>
#include <QString>

#include <mysql.h>

#include "util/codepage.h"

struct MariaDbInfo {
    QString host;
    int port = 0;
    QString socket;
    QString user;
    QString password;
    QString database;
    QString rootUser;
    QString error;

    bool valid() const { return error.isEmpty(); }

    static MariaDbInfo load() {
        MariaDbInfo info;
        const QString path = qEnvironmentVariable("KOVALT_MARIADB_INFO");
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            info.error = QStringLiteral("no MariaDB fixture info at '%1'").arg(path);
            return info;
        }
        QHash<QString, QString> values;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0) values.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)).trimmed());
        }
        info.host = values.value(QStringLiteral("HOST"));
        info.port = values.value(QStringLiteral("PORT")).toInt();
        info.socket = values.value(QStringLiteral("SOCKET"));
        info.user = values.value(QStringLiteral("USER"));
        info.password = values.value(QStringLiteral("PASSWORD"));
        info.database = values.value(QStringLiteral("DATABASE"));
        info.rootUser = values.value(QStringLiteral("ROOT_USER"));
        if (info.port <= 0 || info.socket.isEmpty() || info.user.isEmpty())
            info.error = QStringLiteral("incomplete MariaDB fixture info in '%1'").arg(path);
        return info;
    }
};

// An administrator session over the server's socket, speaking cp1250 like the bar.
class RootSession {
public:
    explicit RootSession(const MariaDbInfo& info) {
        mysql_ = mysql_init(nullptr);
        mysql_options(mysql_, MYSQL_SET_CHARSET_NAME, "cp1250");
        unsigned timeout = 10;
        mysql_options(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
        if (!mysql_real_connect(mysql_, "localhost", info.rootUser.toUtf8().constData(), "", nullptr, 0,
                                info.socket.toUtf8().constData(), 0))
            error_ = QString::fromUtf8(mysql_error(mysql_));
    }
    ~RootSession() { mysql_close(mysql_); }
    RootSession(const RootSession&) = delete;
    RootSession& operator=(const RootSession&) = delete;

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    // The statement goes as cp1250 bytes; false (and error()) when the server refuses it.
    bool exec(const QString& sql) {
        const QByteArray bytes = kovalt::EncodeCp1250(sql);
        if (mysql_real_query(mysql_, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0) {
            error_ = QString::fromUtf8(mysql_error(mysql_));
            return false;
        }
        if (MYSQL_RES* result = mysql_store_result(mysql_)) mysql_free_result(result);
        return true;
    }

    // The first column of the first row, or an empty text.
    QString scalar(const QString& sql) {
        const QByteArray bytes = kovalt::EncodeCp1250(sql);
        if (mysql_real_query(mysql_, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0) {
            error_ = QString::fromUtf8(mysql_error(mysql_));
            return {};
        }
        MYSQL_RES* result = mysql_store_result(mysql_);
        if (!result) return {};
        QString value;
        if (MYSQL_ROW row = mysql_fetch_row(result); row && row[0]) value = kovalt::DecodeCp1250(QByteArray(row[0]));
        mysql_free_result(result);
        return value;
    }

private:
    MYSQL* mysql_ = nullptr;
    QString error_;
};
