#include "french.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zef {

bool installFrenchTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    // Number and date widgets of the dialogs follow suit when the desktop gives no language.
    if (QLocale().language() == QLocale::C) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    return true;
}

} // namespace zef
