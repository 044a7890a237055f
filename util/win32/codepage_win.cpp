// Windows: the ANSI code page is the system's (CP_ACP).
#include "../codepage.h"

#include <windows.h>

namespace kovalt {

QString DecodeAnsi(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    std::wstring wide(size_t(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.constData(), int(bytes.size()), wide.data(), n);
    return QString::fromWCharArray(wide.data(), n);
}

QByteArray EncodeAnsi(const QString& text) {
    if (text.isEmpty()) return {};
    const std::wstring wide = text.toStdWString();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    QByteArray out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

} // namespace kovalt
