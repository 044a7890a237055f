#include "textfile.h"
#include "codepage.h"
#include "error.h"
#include "fileutil.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

namespace kovalt {

namespace {
QString DecodeUtf16(const QByteArray& bytes, qsizetype from, bool bigEndian) {
    QString out;
    out.reserve((bytes.size() - from) / 2);
    for (qsizetype i = from; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out.append(QChar(bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a)));
    }
    return out;
}
} // namespace

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

TextFile DecodeText(const QByteArray& bytes) {
    TextFile file;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        file.encoding = TextEncoding::Utf8;
        // fromUtf8 would drop a second mark; it belongs to the first line.
        QStringDecoder utf8(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
        text = utf8(QByteArrayView(bytes).sliced(3));
    } else if (bytes.startsWith("\xFF\xFE")) {
        file.encoding = TextEncoding::Utf16LE;
        text = DecodeUtf16(bytes, 2, false);
    } else if (bytes.startsWith("\xFE\xFF")) {
        file.encoding = TextEncoding::Utf16BE;
        text = DecodeUtf16(bytes, 2, true);
    } else {
        text = DecodeAnsi(bytes);
    }
    file.lines = SplitLines(text);
    return file;
}

QByteArray EncodeText(const QStringList& lines, TextEncoding encoding) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    switch (encoding) {
    case TextEncoding::Ansi:
        return EncodeAnsi(text);
    case TextEncoding::Utf8:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
        const bool be = encoding == TextEncoding::Utf16BE;
        QByteArray out(be ? "\xFE\xFF" : "\xFF\xFE");
        out.reserve(2 + text.size() * 2);
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            const char hi = char(u >> 8), lo = char(u & 0xFF);
            out.append(be ? hi : lo);
            out.append(be ? lo : hi);
        }
        return out;
    }
    }
    return {};
}

TextFile ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return DecodeText(file.readAll());
}

TextFile ReadTextFileOrEmpty(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return DecodeText(file.readAll());
}

void WriteTextFile(const QString& path, const QStringList& lines, TextEncoding encoding) {
    WriteFileAtomic(path, EncodeText(lines, encoding));
}

} // namespace kovalt
