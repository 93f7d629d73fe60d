#pragma once

#include <QString>

class QAction;

namespace platform {

// Gives an item straight on a menu bar the name a screen reader reads, where its caption (a bare
// "?") says nothing of what it does. The caption stays as it is: Qt names a menu item after its
// caption alone, and a QAction has no accessible name of its own.
void setAccessibleName(QAction *menuBarItem, const QString &name);

} // namespace platform
