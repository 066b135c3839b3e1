#include "commandline.h"

namespace zef {

StartRequest parseCommandLine(const QStringList& arguments) {
    StartRequest request;
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? arguments : arguments.mid(0, end);
    for (const QString& a : options) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            request.kind = StartRequest::Kind::Help;
            return request;
        }
        if (a == QLatin1String("--version")) {
            request.kind = StartRequest::Kind::Version;
            return request;
        }
    }
    for (const QString& a : options) {
        if (a == QLatin1String("-")) {
            request.kind = StartRequest::Kind::Error;
            request.error = QStringLiteral("les programmes se lisent dans des fichiers, pas sur l'entrée standard");
            return request;
        }
        if (a.startsWith('-')) {
            request.kind = StartRequest::Kind::Error;
            request.error = QStringLiteral("option inconnue ") + a;
            return request;
        }
        request.files << a;
    }
    if (end >= 0) request.files << arguments.mid(end + 1);
    return request;
}

QString usageText() {
    return QStringLiteral(
        "Usage : zefpascal [OPTION] [FICHIER.pas ...]\n"
        "\n"
        "Ouvre l'environnement Zef Pascal, avec une fenêtre d'édition par fichier donné.\n"
        "Si Zef Pascal est déjà ouvert sur cet écran, les fichiers s'ouvrent dans sa\n"
        "fenêtre (un fichier déjà ouvert passe au premier plan) et la commande se termine.\n"
        "  --version           affiche la version\n"
        "  --help              affiche cette aide\n"
        "  --                  la suite n'est faite que de noms de fichiers\n"
        "Les options de Qt (par exemple -platform ou -style) sont acceptées aussi.\n");
}

} // namespace zef
