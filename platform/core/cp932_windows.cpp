#include "cp932.h"

#include <windows.h>

namespace platform::cp932 {

namespace {

constexpr UINT codePage = 932;

bool isLeadByte(uchar byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(uchar byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Windows gives the bytes that CP932 leaves unused characters of the private use area; they
// read as no character, as they do through ICU.
bool isUnusedByte(uchar byte)
{
    return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

} // namespace

bool available()
{
    return IsValidCodePage(codePage);
}

QString decode(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar byte = uchar(bytes[i]);
        const int length = isLeadByte(byte) && i + 1 < bytes.size() && isTrailByte(uchar(bytes[i + 1])) ? 2 : 1;
        wchar_t character[2];
        // A pair with no character in the table is refused, not read as Windows' default "・".
        const int units = isUnusedByte(byte) || (length == 1 && isLeadByte(byte))
            ? 0
            : MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.constData() + i, length, character, 2);
        if (units > 0)
            text.append(reinterpret_cast<const QChar *>(character), units);
        else
            text.append(QChar::ReplacementCharacter);
        i += length;
    }
    return text;
}

std::optional<QByteArray> encode(const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    // At most two bytes for each UTF-16 unit.
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    BOOL substituted = FALSE;
    // No best fit: a character CP932 lacks is refused, never stored as a look-alike.
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units, int(text.size()), bytes.data(),
                                           int(bytes.size()), nullptr, &substituted);
    if (length <= 0 || substituted)
        return std::nullopt;
    bytes.truncate(length);
    return bytes;
}

} // namespace platform::cp932
