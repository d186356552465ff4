#pragma once

#include <QByteArray>
#include <QString>

// UTF-8 that keeps every byte: a byte that does not start a well-formed
// sequence is held as a character of its own, U+DC00 + byte (U+DC80..U+DCFF),
// as Python's "surrogateescape" does, so that encoding gives it back. A line
// the program did not change is written back byte for byte, and a name in
// another code page still names its file.
namespace EscapedUtf8 {

QString decode(const QByteArray &bytes);
// The inverse of decode: held bytes become their byte again, the rest UTF-8.
QByteArray encode(const QString &text);
// The text as a window may show it: held bytes become U+FFFD.
QString display(const QString &text);

} // namespace EscapedUtf8
