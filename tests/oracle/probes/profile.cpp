// What the profile functions answer.
//   S <file> <section> <key> <default> <buffer size>  ->  S <returned count> <buffer up to the count>
//   I <file> <section> <key> <default number>         ->  I <value as a signed number>
#include "probeio.h"

int wmain(int argc, wchar_t** argv) {
    for (const std::string& line : probe::ReadRequests(argc, argv)) {
        const auto f = probe::Fields(line);
        if (f.size() == 6 && f[0] == "S") {
            const std::wstring file = probe::Text(f[1]), section = probe::Text(f[2]), key = probe::Text(f[3]),
                               def = probe::Text(f[4]);
            const DWORD size = DWORD(probe::Number(f[5]));
            // Filled beyond the size, so a write past it would show in the answer.
            std::wstring buffer(size + 16, L'\x2591');
            const DWORD n =
                GetPrivateProfileStringW(section.c_str(), key.c_str(), def.c_str(), buffer.data(), size, file.c_str());
            probe::Answer({"S", std::to_string(n), probe::Hex(buffer.data(), n)});
        } else if (f.size() == 5 && f[0] == "I") {
            const std::wstring file = probe::Text(f[1]), section = probe::Text(f[2]), key = probe::Text(f[3]);
            const UINT value =
                GetPrivateProfileIntW(section.c_str(), key.c_str(), INT(probe::Number(f[4])), file.c_str());
            probe::Answer({"I", std::to_string(INT(value))});
        } else {
            probe::Fail("bad request");
        }
    }
    return 0;
}
