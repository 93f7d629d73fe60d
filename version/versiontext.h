#pragma once

#include "programversion.h"

#include <QString>

namespace version {

// "ﾊﾞｰｼﾞｮﾝ " followed by major "." minor in plain decimals: 1.0, 1.5, 1.12 (the minor
// number is not padded).
QString versionText(const platform::Version &version);

} // namespace version
