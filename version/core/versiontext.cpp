#include "versiontext.h"

namespace version {

QString versionNumber(const platform::Version &version)
{
    return QString::number(version.majorNumber) + QLatin1Char('.') + QString::number(version.minorNumber);
}

QString versionText(const platform::Version &version)
{
    // Half-width katakana, as the window has always shown it.
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + versionNumber(version);
}

} // namespace version
