#pragma once

#include "util/error.h"

#include <QString>

#include <functional>
#include <memory>

namespace kovalt {

enum class WorkMode { Read, Write };

/// Thrown by IdFtp::Get when the file grows past the limit the caller gave.
class FtpFileTooLarge : public Error {
public:
    using Error::Error;
};

/// A small FTP client over libcurl with the members the update check uses. One control connection
/// lasts from Connect to Disconnect. Every call waits for the network on a worker thread while the
/// calling thread keeps handling its events; OnWork is called on the calling thread. The calls throw
/// kovalt::Error on failure.
class IdFtp {
public:
    IdFtp();
    ~IdFtp();
    IdFtp(const IdFtp&) = delete;
    IdFtp& operator=(const IdFtp&) = delete;

    bool Passive = true;
    int Port = 21;
    QString Username;
    QString Password;
    QString Host;
    /// Raised again and again while the client reads or writes on its connections; the count is the
    /// number of bytes moved since the previous call. Calls are merged while one is still pending, so
    /// a slow handler never holds up the transfer.
    std::function<void(WorkMode mode, qint64 count)> OnWork;

    /// Opens the control connection and logs in. IPv4 only, no proxy, at most 21 s to connect,
    /// 60 s for every reply.
    void Connect();
    /// Sends one "CWD " + dir.
    void ChangeDir(const QString& dir);
    /// Retrieves remoteName from the current directory ("RETR ") into localPath, which must not
    /// exist yet; the file appears only once the transfer is complete. Binary uses TYPE I and checks
    /// the size against the server's SIZE answer when there is one; otherwise TYPE A, whose line
    /// ends libcurl turns into LF. With a maxBytes of 0 or more, a file that grows past it (as
    /// written, after that change) ends the transfer there and throws FtpFileTooLarge; nothing of
    /// it is kept and the connection is closed.
    void Get(const QString& remoteName, const QString& localPath, bool binary, qint64 maxBytes = -1);
    /// Sends QUIT and closes the connection; never throws.
    void Disconnect();
    bool Connected() const;
    /// Makes the running call (or the next one) fail soon; for a window that is being closed.
    void Abort();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace kovalt
