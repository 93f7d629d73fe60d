#pragma once

namespace platform {

struct Version {
    int majorNumber = 0;
    int minorNumber = 0;
};

} // namespace platform
