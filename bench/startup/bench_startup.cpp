// Start-up of the bar with 50 modules against an empty Qt Widgets window: time from process start
// to the first paint, and peak memory (ru_maxrss), as ratios. Runs its own MariaDB fixture server.
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

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct Run {
    long long toPaintMs = -1;
    long maxRssKb = 0;
};

// Starts program in dir, waits for its first-paint line, then ends it and takes its peak memory.
Run Measure(const std::string& program, const std::string& dir)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const long long start = NowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 2);
        close(fds[0]);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        setenv("KOVALT_FIRST_PAINT", "1", 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    Run run;
    std::string text;
    char buf[512];
    ssize_t n;
    while (run.toPaintMs < 0 && (n = read(fds[0], buf, sizeof buf)) > 0) {
        text.append(buf, size_t(n));
        const auto at = text.find("first-paint ");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos)
            run.toPaintMs = std::atoll(text.c_str() + at + 12) - start;
    }
    // Let the window settle as a user would see it, then stop it.
    usleep(300 * 1000);
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    close(fds[0]);
    run.maxRssKb = usage.ru_maxrss;
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

template <typename T> T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main()
{
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
        for (int j = 1; j <= 50; ++j) {
            std::snprintf(section, sizeof section, "%02d", j);
            list << "[" << section << "]\r\nModulnazev=Modul " << j << "\r\nModulexe={path}argdump.exe\r\nModulpopis=Popis "
                 << j << "\r\n";
        }
    }
    const fs::path empty = work / "empty";
    fs::create_directories(empty);

    const int rounds = 7;
    std::vector<long long> barMs, baseMs;
    std::vector<long> barKb, baseKb;
    Measure(KOVALT_BENCH_BASELINE, empty.string()); // warm the caches
    for (int i = 0; i < rounds; ++i) {
        const Run b = Measure(KOVALT_BENCH_BASELINE, empty.string());
        const Run k = Measure((bar / "kovalt05.exe").string(), bar.string());
        if (b.toPaintMs < 0 || k.toPaintMs < 0) {
            std::fprintf(stderr, "no first paint seen (baseline %lld, bar %lld)\n", b.toPaintMs, k.toPaintMs);
            break;
        }
        baseMs.push_back(b.toPaintMs);
        barMs.push_back(k.toPaintMs);
        baseKb.push_back(b.maxRssKb);
        barKb.push_back(k.maxRssKb);
    }
    std::system(("bash '" + script + "' stop '" + runDir + "' '" + info + "' >/dev/null").c_str());
    fs::remove_all(work);
    if (barMs.empty())
        return 1;
    const double tBar = double(Median(barMs)), tBase = double(std::max(1LL, Median(baseMs)));
    const double mBar = double(Median(barKb)), mBase = double(Median(baseKb));
    std::printf("first paint: bar with 50 modules %.0f ms, empty window %.0f ms, ratio %.2f (goal <= 1.5)\n", tBar,
                tBase, tBar / tBase);
    std::printf("peak memory: bar %.0f KiB, empty window %.0f KiB, ratio %.2f (goal <= 1.5)\n", mBar, mBase,
                mBar / mBase);
    return 0;
}
