#pragma once

// CP932, the code page of Japanese Windows, in which the ranking file is kept: through ICU on
// Linux, through Windows' own conversion on Windows.

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform::cp932 {

// Whether this system converts CP932 at all (Qt converts it only when built with ICU).
bool available();

// The characters of `bytes`. A byte or pair of bytes that is no CP932 character, a lead byte
// at the very end among them, reads as U+FFFD.
QString decode(const QByteArray &bytes);

// The bytes of `text`, or nothing when CP932 has no code for one of its characters (a lone
// surrogate too): never a look-alike or a substitute.
std::optional<QByteArray> encode(const QString &text);

} // namespace platform::cp932
