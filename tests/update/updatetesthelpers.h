#pragma once

// A temporary program directory and update server root, and a host that records what the check
// does to the bar.

#include "ftpfixture.h"

#include "update/idftp.h"
#include "update/updatecheck.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>

namespace updatetest {

inline const QString kErrorText =
    QStringLiteral("Problém při připojeni k aktulizacím!\rNelze zkontrolovat novou verzi.");
inline const QString kHandOffText =
    QStringLiteral("Nyní bude aktualizována aplikace Kovalt05!\rAplikace bude ukončena a spuštěna instalace.");
// The program file's time, and so the local version.
inline const QDateTime kProgramTime(QDate(2026, 3, 14), QTime(9, 26, 52), Qt::LocalTime);

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

inline QString DataFile(const QString& name) {
    return qEnvironmentVariable("KOVALT_TEST_DATA") + QStringLiteral("/update/") + name;
}

/// Bytes with what an ASCII transfer would spoil: CR LF pairs, lone CR and LF, 0x1A, NUL.
inline QByteArray AwkwardBytes(int size) {
    static const char pattern[] = "MZ\r\n\x1a\0\r\r\n\n\xff\xfe\x80\r\n";
    QByteArray out;
    out.reserve(size);
    quint32 x = 12345;
    while (out.size() < size) {
        out.append(pattern, sizeof pattern - 1);
        x = x * 1103515245u + 12345u;
        out.append(char(x >> 24));
    }
    out.truncate(size);
    return out;
}

class TestHost : public kovalt::UpdateHost {
public:
    QString dir;
    QDateTime now = QDateTime(QDate(2026, 12, 11), QTime(9, 5, 7), Qt::LocalTime);
    bool realStart = false;
    QStringList events;
    int position = 0;
    int maxPosition = 0;
    int workCalls = 0;
    int messagePumps = 0;
    bool workOffThread = false;

    void ProcessMessages() override {
        ++messagePumps;
        QCoreApplication::processEvents();
    }
    void SetProgressVisible(bool visible) override {
        events << (visible ? QStringLiteral("progress shown") : QStringLiteral("progress hidden"));
    }
    int ProgressPosition() const override { return position; }
    void SetProgressPosition(int p) override {
        position = p;
        maxPosition = std::max(maxPosition, p);
    }
    void ShowReadyIndicator() override { events << QStringLiteral("ready"); }
    void ShowInformation(const QString& caption, const QString& text) override {
        events << QStringLiteral("message %1: %2").arg(caption, text);
    }
    bool StartInstaller(const QString& commandLine) override {
        events << QStringLiteral("start ") + commandLine;
        return realStart ? UpdateHost::StartInstaller(commandLine) : true;
    }
    void Terminate() override { events << QStringLiteral("terminate"); }
    QDateTime Now() const override { return now; }
    QString ProgramDirectory() const override { return dir; }

    /// Routes the client's work events as the bar does.
    void Attach(kovalt::IdFtp& ftp) {
        ftp.OnWork = [this](kovalt::WorkMode, qint64) {
            ++workCalls;
            if (QThread::currentThread() != QCoreApplication::instance()->thread()) workOffThread = true;
            kovalt::IdFTP1Work(*this);
        };
    }
};

/// The program directory and the server's update folder of one test.
struct UpdateSite {
    QTemporaryDir program;
    QTemporaryDir server;

    QString programDir() const { return program.path() + u'/'; }
    QString at(const QString& name) const { return programDir() + name; }
    QString updateDir() const { return server.path() + QStringLiteral("/trenix/kovalt05"); }
    QString serverLog() const { return server.path() + QStringLiteral("/ftp.log"); }

    bool prepare() {
        if (!program.isValid() || !server.isValid() || !QDir().mkpath(updateDir())) return false;
        QFile exe(at(QStringLiteral("kovalt05.exe")));
        if (!exe.open(QIODevice::WriteOnly) || exe.write("MZ program") != 10) return false;
        exe.flush();
        return exe.setFileTime(kProgramTime, QFileDevice::FileModificationTime);
    }
    bool publish(const QString& name, const QByteArray& bytes) const {
        return WriteAll(updateDir() + u'/' + name, bytes);
    }
    bool publishData(const QString& dataName, const QString& name = QStringLiteral("setupkovalt05.ver")) const {
        return publish(name, ReadAll(DataFile(dataName)));
    }
    /// Writes kovalt05.ini; a null value leaves the key out, an entry overrides the default.
    bool writeIni(quint16 port, const QMap<QString, QString>& overrides = {}) const {
        QMap<QString, QString> keys{{QStringLiteral("FTP"), QStringLiteral("127.0.0.1")},
                                    {QStringLiteral("FTPuser"), QStringLiteral("kovalt")},
                                    {QStringLiteral("FTPpassword"), QStringLiteral("heslo")},
                                    {QStringLiteral("FTPport"), QString::number(port)},
                                    {QStringLiteral("FTPpassive"), QStringLiteral("1")},
                                    {QStringLiteral("FTPdir"), QStringLiteral("trenix/kovalt05")}};
        for (auto it = overrides.begin(); it != overrides.end(); ++it)
            keys[it.key()] = it.value();
        QByteArray text =
            "[LogON]\r\n;Hlavni\r\nIP=127.0.0.1\r\nUser=u\r\nPassword=p\r\nDatabase=kovalt\r\nSQLport=3306\r\n";
        for (const QString& key : {QStringLiteral("FTP"), QStringLiteral("FTPuser"), QStringLiteral("FTPpassword"),
                                   QStringLiteral("FTPport"), QStringLiteral("FTPpassive"), QStringLiteral("FTPdir")})
            if (!keys.value(key).isNull()) text += (key + u'=' + keys.value(key) + QStringLiteral("\r\n")).toUtf8();
        return WriteAll(at(QStringLiteral("kovalt05.ini")), text);
    }
    /// Files in the program directory, sorted.
    QStringList files() const {
        return QDir(program.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

} // namespace updatetest
