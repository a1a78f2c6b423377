#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtTranslations() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    const QStringList dirs{QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                           QStringLiteral("/usr/share/qt6/translations")};
    auto* translator = new QTranslator(QCoreApplication::instance());
    for (const QString& dir : dirs) {
        // "qt_ru" gathers the modules' files; "qtbase_ru" alone covers the widgets.
        for (const QString& name : {QStringLiteral("qt_ru"), QStringLiteral("qtbase_ru")}) {
            if (translator->load(name, dir) && QCoreApplication::installTranslator(translator)) {
                installed = translator;
                return true;
            }
        }
    }
    delete translator;
    return false;
}
