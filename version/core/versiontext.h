#pragma once

#include "programversion.h"

#include <QString>

namespace version {

// Major "." minor in plain decimals: 1.0, 1.5, 1.12 (the minor number is not padded), as
// --version tells it.
QString versionNumber(const platform::Version &version);

// "ﾊﾞｰｼﾞｮﾝ " followed by the version number, as the version window shows it.
QString versionText(const platform::Version &version);

} // namespace version
