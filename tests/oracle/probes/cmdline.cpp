// What CommandLineToArgvW makes of a command line.
//   <command line>  ->  A <count> <argument> ...   or   E <error>
#include "probeio.h"

#include <shellapi.h>

int wmain(int argc, wchar_t** argv) {
    for (const std::string& line : probe::ReadRequests(argc, argv)) {
        const auto f = probe::Fields(line);
        if (f.size() != 1) probe::Fail("bad request");
        const std::wstring commandLine = probe::Text(f[0]);
        int count = 0;
        wchar_t** args = CommandLineToArgvW(commandLine.c_str(), &count);
        if (!args) {
            probe::Answer({"E", std::to_string(GetLastError())});
            continue;
        }
        std::vector<std::string> answer{"A", std::to_string(count)};
        for (int i = 0; i < count; ++i)
            answer.push_back(probe::Hex(args[i], wcslen(args[i])));
        LocalFree(args);
        probe::Answer(answer);
    }
    return 0;
}
