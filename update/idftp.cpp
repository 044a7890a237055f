#include "idftp.h"

#include "curllib.h"
#include "util/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <atomic>
#include <exception>
#include <thread>

namespace kovalt {

namespace {
constexpr long kConnectTimeoutSeconds = 21;
constexpr long kReplyTimeoutSeconds = 60;
constexpr long kBufferSize = 128 * 1024;
// libcurl can leave a step of a reused FTP connection for a later round with no socket to wait on;
// polling at least this often keeps that from costing its default second.
constexpr int kPollMs = 10;

// An owned list of FTP commands for CURLOPT_QUOTE and CURLOPT_PREQUOTE.
struct SList {
    curl_slist* list = nullptr;
    SList() = default;
    SList(const SList&) = delete;
    SList& operator=(const SList&) = delete;
    ~SList() { Curl().slist_free_all(list); }
    void Add(const QByteArray& command) { list = Curl().slist_append(list, command.constData()); }
};

bool HasLineBreak(const QString& text) {
    return text.contains(u'\r') || text.contains(u'\n');
}
} // namespace

struct IdFtp::Impl {
    IdFtp* owner = nullptr;
    CURL* easy = nullptr;
    // The connection lives in the multi handle's cache between calls.
    CURLM* multi = nullptr;
    bool connected = false;
    bool busy = false;
    std::atomic<bool> abort{false};
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // Set for the length of one call; the worker posts its events to this context.
    QObject* context = nullptr;
    bool threaded = false;
    std::atomic<bool> workPending{false};
    std::atomic<qint64> workBytes{0};
    std::atomic<int> workMode{int(WorkMode::Read)};
    std::exception_ptr workError;

    // Written by the worker during a call, read by the caller after it.
    QFile* sink = nullptr;
    bool sinkFailed = false;
    qint64 received = 0;
    qint64 limit = -1;
    bool tooLarge = false;
    bool awaitingSize = false;
    qint64 sizeAnswer = -1;
    bool loggedIn = false;
    QByteArray lastReply;

    void DeliverWork() {
        workPending = false;
        const qint64 count = workBytes.exchange(0);
        if (!owner->OnWork || workError) return;
        try {
            owner->OnWork(WorkMode(workMode.load()), count);
        } catch (...) {
            workError = std::current_exception();
            abort = true;
        }
    }

    // Coalesces: at most one event waits in the caller's queue, so a slow handler never holds up
    // the transfer.
    void PostWork(WorkMode mode, qint64 count) {
        workBytes += count;
        workMode = int(mode);
        if (!threaded) {
            DeliverWork();
            return;
        }
        if (!workPending.exchange(true))
            QMetaObject::invokeMethod(
                context, [this] { DeliverWork(); }, Qt::QueuedConnection);
    }

    static size_t OnWrite(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Impl*>(user);
        const size_t n = size * count;
        if (self->abort || !self->sink) return 0;
        if (self->limit >= 0 && qint64(n) > self->limit - self->received) {
            self->tooLarge = true;
            return 0;
        }
        if (self->sink->write(data, qint64(n)) != qint64(n)) {
            self->sinkFailed = true;
            return 0;
        }
        self->received += qint64(n);
        self->PostWork(WorkMode::Read, qint64(n));
        return n;
    }

    static int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        return static_cast<Impl*>(user)->abort ? 1 : 0;
    }

    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* user) {
        auto* self = static_cast<Impl*>(user);
        if (type == CURLINFO_HEADER_OUT) {
            const QByteArray line(data, qsizetype(size));
            if (line.startsWith("SIZE "))
                self->awaitingSize = true;
            else if (line.startsWith("USER "))
                self->loggedIn = true;
            self->PostWork(WorkMode::Write, qint64(size));
        } else if (type == CURLINFO_HEADER_IN) {
            const QByteArray line = QByteArray(data, qsizetype(size)).trimmed();
            // The final line of a reply is "nnn text"; "nnn-text" continues it.
            const bool final = line.size() >= 4 && line[3] == ' ';
            if (final) {
                self->lastReply = line;
                if (self->awaitingSize) {
                    self->awaitingSize = false;
                    bool ok = false;
                    const qint64 size = line.mid(4).trimmed().toLongLong(&ok);
                    if (line.startsWith("213 ") && ok && size >= 0) self->sizeAnswer = size;
                }
            }
            self->PostWork(WorkMode::Read, qint64(size));
        }
        return 0;
    }

    // Runs job on a worker thread while the calling thread handles its events in a local loop.
    CURLcode Run(const std::function<CURLcode()>& job) {
        if (busy) throw Error(QStringLiteral("The FTP client is busy."));
        busy = true;
        workError = nullptr;
        lastReply.clear();
        CURLcode rc = CURLE_OK;
        threaded = QCoreApplication::instance() != nullptr;
        if (!threaded) {
            rc = job();
        } else {
            QObject here;
            QEventLoop loop;
            context = &here;
            std::thread worker([&] {
                rc = job();
                // Queued behind every work event the job posted, so those reach the caller first.
                QMetaObject::invokeMethod(
                    &here, [&loop] { loop.quit(); }, Qt::QueuedConnection);
            });
            loop.exec();
            worker.join();
            context = nullptr;
        }
        busy = false;
        if (workError) std::rethrow_exception(std::exchange(workError, nullptr));
        return rc;
    }

    QByteArray BaseUrl() const {
        const QString host = owner->Host.trimmed();
        if (host.isEmpty()) throw Error(QStringLiteral("No FTP host name."));
        for (const QChar c : host)
            if (c <= u' ' || QStringLiteral("/\\?#@").contains(c))
                throw Error(QStringLiteral("Invalid FTP host name \"%1\".").arg(host));
        const bool literal6 = host.contains(u':') && !host.startsWith(u'[');
        return "ftp://" + (literal6 ? "[" + host.toUtf8() + "]" : host.toUtf8());
    }

    // Every call starts from fresh options; the handle keeps its connection across the reset.
    void Prepare(const QByteArray& url) {
        Curl().easy_reset(easy);
        errorBuffer[0] = 0;
        Curl().easy_setopt(easy, CURLOPT_URL, url.constData());
        Curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
        Curl().easy_setopt(easy, CURLOPT_PORT, long(owner->Port));
        const QByteArray user = owner->Username.toUtf8(), password = owner->Password.toUtf8();
        Curl().easy_setopt(easy, CURLOPT_USERNAME, user.constData());
        Curl().easy_setopt(easy, CURLOPT_PASSWORD, password.constData());
        Curl().easy_setopt(easy, CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_V4));
        Curl().easy_setopt(easy, CURLOPT_PROXY, "");
        Curl().easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        Curl().easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, kReplyTimeoutSeconds);
        Curl().easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_SINGLECWD));
        if (!owner->Passive) Curl().easy_setopt(easy, CURLOPT_FTPPORT, "-");
        Curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        Curl().easy_setopt(easy, CURLOPT_BUFFERSIZE, kBufferSize);
        Curl().easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
        Curl().easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        Curl().easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Impl::OnProgress);
        Curl().easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        Curl().easy_setopt(easy, CURLOPT_VERBOSE, 1L);
        Curl().easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Impl::OnDebug);
        Curl().easy_setopt(easy, CURLOPT_DEBUGDATA, this);
        Curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Impl::OnWrite);
        Curl().easy_setopt(easy, CURLOPT_WRITEDATA, this);
    }

    // Runs on the worker: one transfer through the multi handle.
    CURLcode Perform() {
        if (Curl().multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
        CURLcode rc = CURLE_OK;
        int running = 1;
        while (running) {
            if (Curl().multi_perform(multi, &running) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
            if (running && Curl().multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) {
                rc = CURLE_FAILED_INIT;
                break;
            }
        }
        int left = 0;
        while (CURLMsg* message = Curl().multi_info_read(multi, &left))
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) rc = message->data.result;
        Curl().multi_remove_handle(multi, easy);
        return rc;
    }

    QString Reason(CURLcode rc) const {
        QString text = QString::fromUtf8(errorBuffer[0] ? errorBuffer : Curl().easy_strerror(rc));
        if (!lastReply.isEmpty() && rc != CURLE_COULDNT_CONNECT && rc != CURLE_OPERATION_TIMEDOUT)
            text += QStringLiteral(" (%1)").arg(QString::fromUtf8(lastReply));
        return text;
    }

    void Close() {
        if (!easy) return;
        CURL* handle = std::exchange(easy, nullptr);
        CURLM* cache = std::exchange(multi, nullptr);
        connected = false;
        // Cleanup sends QUIT and waits for its reply, so it runs off the caller's thread too.
        auto cleanup = [handle, cache] {
            Curl().multi_cleanup(cache);
            Curl().easy_cleanup(handle);
            return CURLE_OK;
        };
        try {
            Run(cleanup);
        } catch (...) {
            cleanup();
        }
    }
};

IdFtp::IdFtp() : d(std::make_unique<Impl>()) {
    d->owner = this;
}

IdFtp::~IdFtp() {
    if (d->easy) {
        Curl().easy_setopt(d->easy, CURLOPT_VERBOSE, 0L);
        Curl().multi_cleanup(d->multi);
        Curl().easy_cleanup(d->easy);
    }
}

bool IdFtp::Connected() const {
    return d->connected;
}

void IdFtp::Abort() {
    d->abort = true;
}

void IdFtp::Connect() {
    if (d->busy) throw Error(QStringLiteral("The FTP client is busy."));
    d->Close();
    d->abort = false;
    const QByteArray url = d->BaseUrl() + "/";
    if (Port < 1 || Port > 65535) throw Error(QStringLiteral("Invalid FTP port %1.").arg(Port));
    d->easy = Curl().easy_init();
    d->multi = Curl().multi_init();
    if (!d->easy || !d->multi) {
        d->Close();
        throw Error(QStringLiteral("Cannot start the FTP client."));
    }
    d->Prepare(url);
    Curl().easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    Curl().easy_setopt(d->easy, CURLOPT_FRESH_CONNECT, 1L);
    const CURLcode rc = d->Run([this] { return d->Perform(); });
    if (rc != CURLE_OK) {
        const QString reason = d->Reason(rc);
        d->Close();
        throw Error(QStringLiteral("Cannot connect to the FTP server %1:%2. %3").arg(Host).arg(Port).arg(reason));
    }
    d->connected = true;
}

void IdFtp::ChangeDir(const QString& dir) {
    if (!d->connected) throw Error(QStringLiteral("Not connected to the FTP server."));
    if (HasLineBreak(dir)) throw Error(QStringLiteral("Invalid FTP directory name."));
    d->Prepare(d->BaseUrl() + "/");
    Curl().easy_setopt(d->easy, CURLOPT_NOBODY, 1L);
    SList quote;
    quote.Add("CWD " + dir.toUtf8());
    Curl().easy_setopt(d->easy, CURLOPT_QUOTE, quote.list);
    const CURLcode rc = d->Run([this] { return d->Perform(); });
    if (rc != CURLE_OK)
        throw Error(QStringLiteral("Cannot change to the FTP directory \"%1\". %2").arg(dir, d->Reason(rc)));
}

void IdFtp::Get(const QString& remoteName, const QString& localPath, bool binary, qint64 maxBytes) {
    if (!d->connected) throw Error(QStringLiteral("Not connected to the FTP server."));
    if (remoteName.isEmpty() || HasLineBreak(remoteName)) throw Error(QStringLiteral("Invalid FTP file name."));
    const QString shown = QDir::toNativeSeparators(localPath);
    if (QFileInfo::exists(localPath)) throw Error(QStringLiteral("The file \"%1\" already exists.").arg(shown));

    // Downloaded beside the target and renamed when complete, so a failed transfer leaves nothing.
    const QString partPath = localPath + QStringLiteral(".part");
    QFile::remove(partPath);
    QFile file(partPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw Error(QStringLiteral("Cannot create file \"%1\". %2").arg(shown, file.errorString()));
    auto discard = [&] {
        file.close();
        file.remove();
    };

    // The name goes to RETR as it stands, in the server's current directory.
    d->Prepare(d->BaseUrl() + "/" + QUrl::toPercentEncoding(remoteName));
    Curl().easy_setopt(d->easy, CURLOPT_FTP_FILEMETHOD, long(CURLFTPMETHOD_NOCWD));
    Curl().easy_setopt(d->easy, CURLOPT_TRANSFERTEXT, binary ? 0L : 1L);
    SList prequote;
    if (binary) {
        // Asked after TYPE I; libcurl would stop reading at a short SIZE answer, so we read to the
        // end and compare.
        prequote.Add("*SIZE " + remoteName.toUtf8());
        Curl().easy_setopt(d->easy, CURLOPT_PREQUOTE, prequote.list);
        Curl().easy_setopt(d->easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    }
    d->sink = &file;
    d->sinkFailed = false;
    d->received = 0;
    d->limit = maxBytes;
    d->tooLarge = false;
    d->awaitingSize = false;
    d->sizeAnswer = -1;
    d->loggedIn = false;
    CURLcode rc = CURLE_OK;
    try {
        rc = d->Run([this] { return d->Perform(); });
    } catch (...) {
        d->sink = nullptr;
        discard();
        throw;
    }
    d->sink = nullptr;

    QString failure;
    if (d->tooLarge)
        failure = QStringLiteral("Cannot retrieve \"%1\". It is larger than %2 bytes.").arg(remoteName).arg(maxBytes);
    else if (d->sinkFailed)
        failure = QStringLiteral("Cannot write file \"%1\". %2").arg(shown, file.errorString());
    else if (rc != CURLE_OK)
        failure = QStringLiteral("Cannot retrieve \"%1\". %2").arg(remoteName, d->Reason(rc));
    else if (d->loggedIn)
        // A silent reconnect lands in the login directory, not the one ChangeDir chose.
        failure = QStringLiteral("Cannot retrieve \"%1\". The connection to the FTP server was lost.").arg(remoteName);
    else if (binary && d->sizeAnswer >= 0 && d->received != d->sizeAnswer)
        failure = QStringLiteral("Cannot retrieve \"%1\". %2 bytes arrived, the server announced %3.")
                      .arg(remoteName)
                      .arg(d->received)
                      .arg(d->sizeAnswer);
    else if (QFileInfo::exists(localPath))
        failure = QStringLiteral("The file \"%1\" already exists.").arg(shown);
    if (!failure.isEmpty()) {
        discard();
        // libcurl drops a control connection whose transfer was cut short.
        if (d->loggedIn || rc == CURLE_ABORTED_BY_CALLBACK || d->tooLarge) d->connected = false;
        if (d->tooLarge) throw FtpFileTooLarge(failure);
        throw Error(failure);
    }
    file.close();
    if (file.error() != QFileDevice::NoError || !file.rename(localPath)) {
        const QString reason = file.errorString();
        discard();
        throw Error(QStringLiteral("Cannot write file \"%1\". %2").arg(shown, reason));
    }
}

void IdFtp::Disconnect() {
    if (d->busy) return;
    d->Close();
}

} // namespace kovalt
