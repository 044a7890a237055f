// What the code page functions answer for Windows-1250.
//   M <flags> <bytes>  ->  M <returned count> <error> <UTF-16 text>         (MultiByteToWideChar)
//   W <flags> <text>   ->  W <returned count> <error> <default used> <bytes> (WideCharToMultiByte)
#include "probeio.h"

int wmain(int argc, wchar_t** argv) {
    constexpr UINT kCodePage = 1250;
    for (const std::string& line : probe::ReadRequests(argc, argv)) {
        const auto f = probe::Fields(line);
        if (f.size() != 3) probe::Fail("bad request");
        const DWORD flags = DWORD(probe::Number(f[1]));
        if (f[0] == "M") {
            const std::string bytes = probe::Bytes(f[2]);
            std::wstring out(bytes.size() * 2 + 8, L'\0');
            SetLastError(0);
            const int n =
                MultiByteToWideChar(kCodePage, flags, bytes.data(), int(bytes.size()), out.data(), int(out.size()));
            const DWORD error = n == 0 ? GetLastError() : 0;
            probe::Answer({"M", std::to_string(n), std::to_string(error), probe::Hex(out.data(), n > 0 ? n : 0)});
        } else if (f[0] == "W") {
            const std::wstring text = probe::Text(f[2]);
            std::string out(text.size() * 4 + 8, '\0');
            BOOL usedDefault = FALSE;
            SetLastError(0);
            const int n = WideCharToMultiByte(kCodePage, flags, text.data(), int(text.size()), out.data(),
                                              int(out.size()), nullptr, &usedDefault);
            const DWORD error = n == 0 ? GetLastError() : 0;
            probe::Answer({"W", std::to_string(n), std::to_string(error), usedDefault ? "1" : "0",
                           probe::Hex(out.data(), n > 0 ? n : 0)});
        } else {
            probe::Fail("bad request");
        }
    }
    return 0;
}
