#pragma once

#include <QString>

namespace platform {

// Makes Qt's own dialogs speak Japanese ("キャンセル" instead of "Cancel") by installing
// Qt's Japanese translations from the given folder, by default the one Qt was built with.
// Where they are missing the dialogs stay in English; returns whether they were installed.
bool installQtTranslations(const QString &folder = QString());

} // namespace platform
