// Windows: the ANSI code page is the system's (CP_ACP); the conversion itself is in ansi.cpp.
#include "../codepage.h"
#include "ansi.h"

namespace kovalt {

QString DecodeAnsi(const QByteArray& bytes) {
    return QString::fromStdWString(win32::AnsiToWide(std::string_view(bytes.constData(), size_t(bytes.size()))));
}

QByteArray EncodeAnsi(const QString& text) {
    const std::string bytes = win32::WideToAnsi(text.toStdWString());
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

} // namespace kovalt
