#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace platform {

bool installQtTranslations(const QString &folder)
{
#ifdef Q_OS_WIN
    // Built into the program: Windows has no system copy.
    const QString systemFolder = QStringLiteral(":/translations");
#else
    const QString systemFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    const QString path = folder.isEmpty() ? systemFolder : folder;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                          path)
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace platform
