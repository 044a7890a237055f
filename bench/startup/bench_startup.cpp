// Start-up of the bar with 50 modules against an empty Qt Widgets window, both measured in the same
// run, alternately: the time from process start to the first paint, and the peak memory
// (ru_maxrss), each as the ratio of the medians. The bar runs in module mode against its own MariaDB
// fixture server, so the connection test is part of every start. Its peak memory is taken once the
// whole column is built, not at the first paint.
//
//   bench_startup [ROUNDS]    ROUNDS measured pairs (default 9) after one warm-up pair
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kModules = 50;
// How long a start may take before the run counts as failed.
constexpr long long kStartLimitMs = 60000;
// The window is left to settle as a user would see it before it is stopped.
constexpr int kSettleMs = 300;

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one.empty() ? std::string("unknown") : one + " " + five + " " + fifteen;
}

struct Run {
    long long toPaintMs = -1;
    long long toFilledMs = -1;
    long maxRssKb = 0;
    std::string error;
};

// The time a marker line "<name> <ms since the epoch>" gives, relative to start; -1 while absent.
long long MarkerAt(const std::string& text, const std::string& name, long long start)
{
    const auto at = text.find(name + " ");
    if (at == std::string::npos || text.find('\n', at) == std::string::npos)
        return -1;
    return std::atoll(text.c_str() + at + name.size() + 1) - start;
}

void Stop(pid_t pid, rusage* usage)
{
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (wait4(pid, &status, WNOHANG, usage) == pid)
            return;
        usleep(50 * 1000);
    }
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, usage);
}

// Starts program in dir and waits for its first paint (and, for the bar, its complete column),
// then lets it settle, stops it and takes its peak memory.
Run Measure(const std::string& program, const std::string& dir, bool waitForColumn)
{
    Run run;
    int fds[2];
    if (pipe(fds) != 0) {
        run.error = "no pipe";
        return run;
    }
    const long long start = NowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        setenv("KOVALT_FIRST_PAINT", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        run.error = "fork failed";
        return run;
    }
    std::string text;
    char buf[512];
    const long long deadline = start + kStartLimitMs;
    while (true) {
        run.toPaintMs = MarkerAt(text, "first-paint", start);
        run.toFilledMs = MarkerAt(text, "filled", start);
        if (run.toPaintMs >= 0 && (!waitForColumn || run.toFilledMs >= 0))
            break;
        const long long left = deadline - NowMs();
        pollfd p{fds[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, int(left)) <= 0) {
            run.error = "no " + std::string(run.toPaintMs < 0 ? "first paint" : "complete column") + " within " +
                        std::to_string(kStartLimitMs / 1000) + " s";
            break;
        }
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) {
            run.error = "the program ended before its " +
                        std::string(run.toPaintMs < 0 ? "first paint" : "column was complete");
            break;
        }
        text.append(buf, size_t(n));
    }
    if (run.error.empty())
        usleep(kSettleMs * 1000);
    rusage usage{};
    Stop(pid, &usage);
    close(fds[0]);
    run.maxRssKb = usage.ru_maxrss;
    if (!run.error.empty()) {
        const std::string tail = text.size() > 1500 ? text.substr(text.size() - 1500) : text;
        run.error += "; its output: " + tail;
    }
    return run;
}

std::map<std::string, std::string> ReadInfo(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

template <typename T> double Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? double(v[n / 2]) : (double(v[n / 2 - 1]) + double(v[n / 2])) / 2;
}

template <typename T> std::string Spread(const std::vector<T>& v)
{
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    return std::to_string(*lo) + "-" + std::to_string(*hi);
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = 9;
    if (argc > 1) {
        rounds = std::atoi(argv[1]);
        if (rounds < 1 || rounds > 1000) {
            std::fprintf(stderr, "usage: %s [ROUNDS]   (1 to 1000, default 9)\n", argv[0]);
            return 2;
        }
    }
    const fs::path work = fs::temp_directory_path() / ("kovalt-bench-startup-" + std::to_string(getpid()));
    fs::create_directories(work);
    const std::string script = KOVALT_BENCH_MARIADB_SCRIPT;
    const std::string runDir = (work / "db").string();
    const std::string info = (work / "db.info").string();
    if (std::system(("bash '" + script + "' start '" + runDir + "' '" + info + "' >/dev/null").c_str()) != 0) {
        std::fprintf(stderr, "the MariaDB fixture did not start\n");
        fs::remove_all(work);
        return 1;
    }
    auto db = ReadInfo(info);

    // A program directory with 50 modules, all starting the same program, and the developer marker,
    // so that no update check runs.
    const fs::path bar = work / "bar";
    fs::create_directories(bar);
    fs::copy_file(KOVALT_BENCH_BAR, bar / "kovalt05.exe");
    fs::copy_file(KOVALT_BENCH_ARGDUMP, bar / "argdump.exe");
    std::ofstream(bar / "unit3.cpp") << "// developer marker\n";
    std::ofstream(bar / "kovalt05.ini") << "[LogON]\r\n;Alfa\r\nIP=127.0.0.1\r\nUser=" << db["USER"]
                                        << "\r\nPassword=" << db["PASSWORD"] << "\r\nDatabase=" << db["DATABASE"]
                                        << "\r\nSQLport=" << db["PORT"] << "\r\n";
    {
        std::ofstream list(bar / "moduly.ini");
        char section[8];
        for (int j = 1; j <= kModules; ++j) {
            std::snprintf(section, sizeof section, "%02d", j);
            list << "[" << section << "]\r\nModulnazev=Modul " << j << "\r\nModulexe={path}argdump.exe\r\nModulpopis=Popis "
                 << j << "\r\n";
        }
    }
    const fs::path empty = work / "empty";
    fs::create_directories(empty);
    const std::string barProgram = (bar / "kovalt05.exe").string();

    const std::string loadBefore = LoadAverage();
    std::vector<long long> barMs, barFilledMs, baseMs;
    std::vector<long> barKb, baseKb;
    std::string failure;
    // One pair to warm the caches, then the measured pairs; the order within a pair alternates.
    for (int i = 0; i <= rounds && failure.empty(); ++i) {
        Run b, k;
        if (i % 2 == 0) {
            b = Measure(KOVALT_BENCH_BASELINE, empty.string(), false);
            k = Measure(barProgram, bar.string(), true);
        } else {
            k = Measure(barProgram, bar.string(), true);
            b = Measure(KOVALT_BENCH_BASELINE, empty.string(), false);
        }
        if (!b.error.empty())
            failure = "empty window: " + b.error;
        else if (!k.error.empty())
            failure = "bar: " + k.error;
        if (!failure.empty() || i == 0)
            continue;
        std::printf("round %2d: bar %4lld ms to first paint, %4lld ms to the full column, %6ld KiB; "
                    "empty window %4lld ms, %6ld KiB; load %s\n",
                    i, k.toPaintMs, k.toFilledMs, k.maxRssKb, b.toPaintMs, b.maxRssKb, LoadAverage().c_str());
        std::fflush(stdout);
        baseMs.push_back(b.toPaintMs);
        barMs.push_back(k.toPaintMs);
        barFilledMs.push_back(k.toFilledMs);
        baseKb.push_back(b.maxRssKb);
        barKb.push_back(k.maxRssKb);
    }
    std::system(("bash '" + script + "' stop '" + runDir + "' '" + info + "' >/dev/null").c_str());
    fs::remove_all(work);
    if (!failure.empty()) {
        std::fprintf(stderr, "%s\n", failure.c_str());
        return 1;
    }
    const double tBar = Median(barMs), tBase = std::max(1.0, Median(baseMs));
    const double mBar = Median(barKb), mBase = std::max(1.0, Median(baseKb));
    std::printf("medians of %d rounds, load average before %s, after %s\n", rounds, loadBefore.c_str(),
                LoadAverage().c_str());
    std::printf("first paint: bar with %d modules %.0f ms (%s), empty window %.0f ms (%s), ratio %.2f (goal <= 1.5)\n",
                kModules, tBar, Spread(barMs).c_str(), tBase, Spread(baseMs).c_str(), tBar / tBase);
    std::printf("peak memory: bar %.0f KiB (%s), empty window %.0f KiB (%s), ratio %.2f (goal <= 1.5)\n", mBar,
                Spread(barKb).c_str(), mBase, Spread(baseKb).c_str(), mBar / mBase);
    std::printf("full column: bar %.0f ms (%s), ratio %.2f to the empty window's first paint (for information)\n",
                Median(barFilledMs), Spread(barFilledMs).c_str(), Median(barFilledMs) / tBase);
    return 0;
}
