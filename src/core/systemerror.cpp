#include "systemerror.h"

#include <cerrno>

namespace zef {

std::string frenchReason(int e) {
    switch (e) {
    case 0: return "erreur inconnue";
    case ENOENT: return "fichier introuvable";
    case ENOTDIR: return "dossier introuvable";
    case EACCES:
    case EPERM: return "accès refusé";
    case EROFS: return "support en lecture seule";
    case ENOSPC:
    case EDQUOT: return "disque plein";
    case EFBIG: return "fichier trop gros";
    case EISDIR: return "c'est un dossier";
    case EEXIST: return "le fichier existe déjà";
    case ENOTEMPTY: return "dossier non vide";
    case EBUSY:
    case ETXTBSY: return "fichier occupé";
    case ENAMETOOLONG: return "nom trop long";
    case ELOOP: return "trop de liens symboliques";
    case EMFILE:
    case ENFILE: return "trop de fichiers ouverts";
    case ENOMEM: return "mémoire insuffisante";
    case EIO: return "erreur matérielle d'entrée/sortie";
    case EPIPE: return "le lecteur de la sortie est parti";
    case EBADF: return "sortie fermée";
    case EXDEV: return "déplacement impossible entre deux disques";
    case EINVAL: return "nom ou opération non valide";
    case ENXIO:
    case ENODEV: return "périphérique introuvable";
    case EAGAIN: return "ressource momentanément indisponible";
    default: return "erreur système " + std::to_string(e);
    }
}

std::string frenchReason(const std::error_code& error) {
    // Codes of the generic and system categories are errno values on this platform.
    return frenchReason(error.value());
}

} // namespace zef
