// What FileTimeToDosDateTime makes of a time (taken as the local time it converts).
//   <year> <month> <day> <hour> <minute> <second> <milliseconds> <extra 100 ns ticks>
//     ->  T <1 converted, 0 failed> <error> <DOS date> <DOS time>   or   E <error> of SystemTimeToFileTime
#include "probeio.h"

int wmain(int argc, wchar_t** argv) {
    for (const std::string& line : probe::ReadRequests(argc, argv)) {
        const auto f = probe::Fields(line);
        if (f.size() != 8) probe::Fail("bad request");
        SYSTEMTIME st{};
        st.wYear = WORD(probe::Number(f[0]));
        st.wMonth = WORD(probe::Number(f[1]));
        st.wDay = WORD(probe::Number(f[2]));
        st.wHour = WORD(probe::Number(f[3]));
        st.wMinute = WORD(probe::Number(f[4]));
        st.wSecond = WORD(probe::Number(f[5]));
        st.wMilliseconds = WORD(probe::Number(f[6]));
        FILETIME ft{};
        if (!SystemTimeToFileTime(&st, &ft)) {
            probe::Answer({"E", std::to_string(GetLastError())});
            continue;
        }
        ULARGE_INTEGER ticks;
        ticks.LowPart = ft.dwLowDateTime;
        ticks.HighPart = ft.dwHighDateTime;
        ticks.QuadPart += ULONGLONG(probe::Number(f[7]));
        ft.dwLowDateTime = ticks.LowPart;
        ft.dwHighDateTime = ticks.HighPart;
        WORD date = 0, time = 0;
        SetLastError(0);
        const BOOL ok = FileTimeToDosDateTime(&ft, &date, &time);
        probe::Answer(
            {"T", ok ? "1" : "0", std::to_string(ok ? 0 : GetLastError()), std::to_string(date), std::to_string(time)});
    }
    return 0;
}
