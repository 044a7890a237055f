#include "output.h"

#include <cstdio>

namespace kovalt::admin {

namespace {
void Write(std::FILE* stream, const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void PrintLine(const QString& line) {
    Write(stdout, line);
}

void PrintError(const QString& line) {
    Write(stderr, line);
}

} // namespace kovalt::admin
