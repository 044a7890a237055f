// Request and answer lines of the oracle probes.
//
// A probe reads its requests from the file named by its one argument: one request a line, fields
// separated by TAB. Texts travel as hexadecimal, four digits per UTF-16 code unit; bytes as two
// digits per byte; numbers in decimal. It writes one answer line per request to standard output,
// in the same form, so nothing depends on the console's code page.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace probe {

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "probe: %s (error %lu)\n", what, GetLastError());
    std::exit(2);
}

inline std::vector<std::string> ReadRequests(int argc, wchar_t** argv) {
    if (argc != 2) Fail("usage: probe REQUEST-FILE");
    const HANDLE file =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open the request file");
    std::string text;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0)
        text.append(block, got);
    CloseHandle(file);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

inline unsigned HexDigit(char c) {
    if (c >= '0' && c <= '9') return unsigned(c - '0');
    if (c >= 'a' && c <= 'f') return unsigned(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10);
    Fail("bad hexadecimal digit in a request");
}

inline std::wstring Text(const std::string& hex) {
    if (hex.size() % 4 != 0) Fail("a text field is not a whole number of code units");
    std::wstring out;
    for (size_t i = 0; i < hex.size(); i += 4)
        out.push_back(wchar_t(HexDigit(hex[i]) << 12 | HexDigit(hex[i + 1]) << 8 | HexDigit(hex[i + 2]) << 4 |
                              HexDigit(hex[i + 3])));
    return out;
}

inline std::string Bytes(const std::string& hex) {
    if (hex.size() % 2 != 0) Fail("a byte field has an odd number of digits");
    std::string out;
    for (size_t i = 0; i < hex.size(); i += 2)
        out.push_back(char(HexDigit(hex[i]) << 4 | HexDigit(hex[i + 1])));
    return out;
}

inline std::string Hex(const wchar_t* text, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        const unsigned u = unsigned(text[i]) & 0xFFFF;
        for (int shift = 12; shift >= 0; shift -= 4)
            out.push_back(digits[(u >> shift) & 0xF]);
    }
    return out;
}

inline std::string Hex(const char* bytes, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        const unsigned b = unsigned(static_cast<unsigned char>(bytes[i]));
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0xF]);
    }
    return out;
}

inline long long Number(const std::string& text) {
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') Fail("bad number in a request");
    return value;
}

// One answer line; the fields joined by TAB.
inline void Answer(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += '\t';
        line += fields[i];
    }
    line += '\n';
    DWORD written = 0;
    if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), DWORD(line.size()), &written, nullptr) ||
        written != line.size())
        Fail("cannot write the answer");
}

} // namespace probe
