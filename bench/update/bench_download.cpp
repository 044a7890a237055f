// Rate of an installer download through IdFtp, with a work handler like the bar's, against the
// curl tool on the same loopback server in the same run. Goal: at least 0.8 times curl's rate.

#include "update/ftpfixture.h"
#include "util/error.h"

#include "update/idftp.h"
#include "update/updatecheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr qint64 kSize = 50 * 1024 * 1024;
constexpr int kRounds = 9;

// Does what the bar's handler does: one progress step, then pending events.
class BenchHost : public kovalt::UpdateHost {
public:
    int position = 0;
    void SetProgressVisible(bool) override {}
    int ProgressPosition() const override { return position; }
    void SetProgressPosition(int p) override { position = p; }
    void ShowReadyIndicator() override {}
    void ShowInformation(const QString&, const QString&) override {}
    void Terminate() override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KOVALT_FIXTURE_DIR")) qputenv("KOVALT_FIXTURE_DIR", KOVALT_BENCH_FIXTURE_DIR);
    if (qEnvironmentVariableIsEmpty("KOVALT_FTP_PYTHON")) qputenv("KOVALT_FTP_PYTHON", KOVALT_BENCH_FTP_PYTHON);
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty()) {
        std::fprintf(stderr, "curl not found\n");
        return 2;
    }

    QTemporaryDir root, local;
    const QString dir = root.path() + QStringLiteral("/trenix/kovalt05");
    QDir().mkpath(dir);
    {
        QFile file(dir + QStringLiteral("/setupkovalt05.exe"));
        if (!file.open(QIODevice::WriteOnly)) return 2;
        QByteArray block(1024 * 1024, Qt::Uninitialized);
        quint32 x = 1;
        for (qint64 done = 0; done < kSize; done += block.size()) {
            for (char& c : block) {
                x = x * 1103515245u + 12345u;
                c = char(x >> 24);
            }
            file.write(block);
        }
    }
    FtpFixture server(root.path(), root.path() + QStringLiteral("/ftp.log"));
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 2;
    }

    BenchHost host;
    kovalt::IdFtp ftp;
    ftp.Host = QStringLiteral("127.0.0.1");
    ftp.Port = server.port();
    ftp.Username = QStringLiteral("kovalt");
    ftp.Password = QStringLiteral("heslo");
    int events = 0;
    ftp.OnWork = [&](kovalt::WorkMode, qint64) {
        ++events;
        kovalt::IdFTP1Work(host);
    };
    const QString target = local.path() + QStringLiteral("/setupkovalt05.exe");

    auto ours = [&] {
        QFile::remove(target);
        QElapsedTimer t;
        t.start();
        ftp.Connect();
        ftp.ChangeDir(QStringLiteral("trenix/kovalt05"));
        ftp.Get(QStringLiteral("setupkovalt05.exe"), target, true);
        ftp.Disconnect();
        return t.nsecsElapsed() / 1e9;
    };
    // curl's own total time, which leaves out its process start: the stricter baseline.
    auto theirs = [&] {
        QFile::remove(target);
        QProcess p;
        p.start(curl, {QStringLiteral("-sS"), QStringLiteral("-w"), QStringLiteral("%{time_total}"),
                       QStringLiteral("--ftp-method"), QStringLiteral("singlecwd"), QStringLiteral("-u"),
                       QStringLiteral("kovalt:heslo"),
                       QStringLiteral("ftp://127.0.0.1:%1/trenix/kovalt05/setupkovalt05.exe").arg(server.port()),
                       QStringLiteral("-o"), target});
        p.waitForFinished(300000);
        bool ok = false;
        const double s = p.readAllStandardOutput().trimmed().toDouble(&ok);
        if (p.exitCode() != 0 || !ok || QFileInfo(target).size() != kSize)
            throw kovalt::Error(QStringLiteral("curl failed: ") + QString::fromLocal8Bit(p.readAllStandardError()));
        return s;
    };

    try {
        ours();
        theirs();
        std::vector<double> a, b;
        for (int i = 0; i < kRounds; ++i) {
            a.push_back(ours());
            if (QFileInfo(target).size() != kSize) throw kovalt::Error(QStringLiteral("short download"));
            b.push_back(theirs());
        }
        const double mb = double(kSize) / (1024.0 * 1024.0);
        const double rateOurs = mb / Median(a), rateCurl = mb / Median(b);
        std::printf("installer download, %d MiB over loopback FTP, median of %d rounds\n", int(mb), kRounds);
        std::printf("IdFtp (with the bar's work handler): %8.1f MiB/s  (%d work events in all)\n", rateOurs, events);
        std::printf("curl command-line tool:              %8.1f MiB/s  (its own time_total)\n", rateCurl);
        std::printf("ratio IdFtp / curl: %.2f (goal >= 0.80)\n", rateOurs / rateCurl);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}
