#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kovalt {

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

/// A text file read whole as a list of lines, with the encoding it was found in.
struct TextFile {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Ansi;
};

/// Decodes bytes: a UTF-8 or UTF-16 byte-order mark selects that encoding, else the ANSI code page.
TextFile DecodeText(const QByteArray& bytes);
/// Splits at CR LF, LF or CR; a final line break adds no empty line.
QStringList SplitLines(const QString& text);
/// CR LF after every line, the last one included; a byte-order mark for the Unicode encodings.
QByteArray EncodeText(const QStringList& lines, TextEncoding encoding);

/// Reads a text file; throws Error when it cannot be opened.
TextFile ReadTextFile(const QString& path);
/// Reads a text file; a missing or unreadable file gives no lines.
TextFile ReadTextFileOrEmpty(const QString& path);
/// Writes the lines atomically in the given encoding; throws Error naming the file.
void WriteTextFile(const QString& path, const QStringList& lines, TextEncoding encoding = TextEncoding::Ansi);

} // namespace kovalt
