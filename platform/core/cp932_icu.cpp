#include "cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace platform::cp932 {

namespace {

// ICU's table of the Windows code page, under the name Windows gives it.
const char codePage[] = "windows-31j";

} // namespace

bool available()
{
    static const bool converts = QStringEncoder(codePage).isValid() && QStringDecoder(codePage).isValid();
    return converts;
}

QString decode(const QByteArray &bytes)
{
    // ICU reads a byte that is no CP932 character as U+001A, and drops a lead byte that ends its
    // input: after a line end, that byte is read too.
    QStringDecoder decoder(codePage, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes + '\n');
    text.chop(1);
    return text.replace(QChar(0x1A), QChar::ReplacementCharacter);
}

std::optional<QByteArray> encode(const QString &text)
{
    // A new encoder each time: with ICU behind it, an error stays reported even after
    // resetState(). Stateless, so a lone surrogate at the end is an error rather than held back.
    QStringEncoder encoder(codePage, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError() || (bytes.isEmpty() && !text.isEmpty()))
        return std::nullopt;
    return bytes;
}

} // namespace platform::cp932
