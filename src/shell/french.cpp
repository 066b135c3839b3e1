#include "french.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <utility>

namespace zef {

namespace {

// Texts Qt 6 asks for under a context its French catalogue still files under an older
// name: the kind of a folder in the file dialogs ("Folder") would show in English.
class MissingPhrases : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const std::pair<const char*, const char*> phrases[] = {
            {"Folder", "Dossier"}, {"Drive", "Lecteur"}, {"Unknown", "Inconnu"},
            {"Shortcut", "Raccourci"}, {"Alias", "Alias"}};
        for (const auto& [english, french] : phrases)
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(french);
        return {};
    }
};

} // namespace

bool installFrenchTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    app.installTranslator(new MissingPhrases(&app));
    // Number and date widgets of the dialogs follow suit when the desktop gives no language.
    if (QLocale().language() == QLocale::C) QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    return true;
}

} // namespace zef
