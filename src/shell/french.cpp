#include "french.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zef {

namespace {

struct Phrase {
    const char* context;
    const char* english;
    const char* french;
};

// Texts that Qt 6 asks for and its French catalogue lacks: some filed under a context
// whose name changed (the kind of a folder in the file dialogs), most of them texts of
// the print dialogs that were reworded after the catalogue was made.
constexpr Phrase kMissingPhrases[] = {
    {"QAbstractFileIconProvider", "Folder", "Dossier"},
    {"QAbstractFileIconProvider", "Drive", "Lecteur"},
    {"QAbstractFileIconProvider", "Unknown", "Inconnu"},
    {"QAbstractFileIconProvider", "Shortcut", "Raccourci"},
    {"QAbstractFileIconProvider", "Alias", "Alias"},
    // The print dialog's options.
    {"QPrintSettingsOutput", "Pages", "Pages"},
    {"QPrintSettingsOutput", "Double Sided Printing", "Impression recto verso"},
    {"QPrintSettingsOutput", "Off", "Désactivée"},
    {"QPrintSettingsOutput", "Long side binding", "Reliure sur le bord long"},
    {"QPrintSettingsOutput", "Short side binding", "Reliure sur le bord court"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     "Indiquez des pages ou des intervalles séparés par des virgules ; un intervalle est fait de deux "
     "numéros séparés par un tiret. Par exemple, 3,5-7,9 imprime les pages 3, 5, 6, 7 et 9."},
    {"QPrintDialog", "There are conflicts in some options. Please fix them.",
     "Certaines options sont incompatibles entre elles. Veuillez les corriger."},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define "
     "ranges and make sure ranges do not intersect with each other.",
     "%1 n'est pas écrit correctement. Séparez les pages et les intervalles par « , », écrivez un intervalle "
     "avec « - » et veillez à ce que les intervalles ne se chevauchent pas."},
    {"QPrintDialog", "Invalid Pages Definition", "Pages incorrectes"},
    {"QPrintDialog", "Duplex Settings Conflicts", "Options recto verso incompatibles"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     "Les options recto verso sont incompatibles. Voulez-vous les corriger ?"},
    // The printer's properties window.
    {"QPrintPropertiesDialog", "Printer Properties", "Propriétés de l'imprimante"},
    {"QPrintPropertiesDialog", "Page Setup Conflicts", "Mise en page incompatible"},
    {"QPrintPropertiesDialog", "There are conflicts in page setup options. Do you want to fix them?",
     "Certaines options de mise en page sont incompatibles. Voulez-vous les corriger ?"},
    {"QPrintPropertiesDialog", "Advanced Option Conflicts", "Options avancées incompatibles"},
    {"QPrintPropertiesDialog", "There are conflicts in some advanced options. Do you want to fix them?",
     "Certaines options avancées sont incompatibles. Voulez-vous les corriger ?"},
    {"QPrintPropertiesWidget", "Advanced", "Avancé"},
    {"QPrintPropertiesWidget", "Job Options", "Options de la tâche"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     "Certaines options sont incompatibles entre elles. Veuillez les corriger."},
    {"QCupsJobWidget", "Banner page at start", "Page de garde au début"},
    {"QCupsJobWidget", "Banner page at end", "Page de garde à la fin"},
};

class MissingPhrases : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* disambiguation, int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        for (const Phrase& phrase : kMissingPhrases)
            if (qstrcmp(context, phrase.context) == 0 && qstrcmp(source, phrase.english) == 0)
                return QString::fromUtf8(phrase.french);
        return {};
    }
};

} // namespace

bool installFrenchTranslations(QCoreApplication& app) {
    // Numbers in Qt's own widgets (the margins of the page set-up, the spin boxes) are
    // written the French way, with a decimal comma, whatever the desktop's language. The
    // interpreter keeps the desktop's regional settings (regionalSettingsFromQt).
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    app.installTranslator(new MissingPhrases(&app));
    return true;
}

} // namespace zef
