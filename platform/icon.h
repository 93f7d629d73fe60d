#pragma once

#include <QIcon>

namespace platform {

// The program's 32 x 32, 16-colour icon, shared by all three windows.
QIcon windowIcon();

} // namespace platform
