// Why a file operation failed, in French: the system's own texts (strerror) follow its
// locale and are English on most machines, while every text a user sees is French.
#pragma once

#include <string>
#include <system_error>

namespace zef {

// A short French reason (UTF-8) for a system error number, e.g. "fichier introuvable".
std::string frenchReason(int errnoValue);
std::string frenchReason(const std::error_code& error);

} // namespace zef
