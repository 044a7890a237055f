#pragma once

#include <QByteArray>
#include <QString>

namespace kovalt {

/// The system's ANSI code page: the system's own on Windows, Windows-1250 elsewhere.
QString DecodeAnsi(const QByteArray& bytes);
/// Characters the code page lacks become "?".
QByteArray EncodeAnsi(const QString& text);

/// Windows-1250, whatever the system's code page.
QString DecodeCp1250(const QByteArray& bytes);
QByteArray EncodeCp1250(const QString& text);

} // namespace kovalt
