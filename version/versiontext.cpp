#include "versiontext.h"

namespace version {

QString versionText(const platform::Version &version)
{
    // Half-width katakana, as the window has always shown it.
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QString::number(version.majorNumber) + QLatin1Char('.')
        + QString::number(version.minorNumber);
}

} // namespace version
