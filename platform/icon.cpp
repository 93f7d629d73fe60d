#include "icon.h"

namespace platform {

QIcon windowIcon()
{
    return QIcon(QStringLiteral(":/quickpair/quickpair.xpm"));
}

} // namespace platform
