// Confinement in the WebAssembly build: a run under Node or in a page has no kernel of its
// own to confine it, so a confined run is refused with its reason, as on a kernel
// without Landlock; the page's programs are bounded by the browser's storage instead.
#include "confinement.h"

namespace zef {

int landlockAbi() { return 0; }

std::string confineTo(const std::string&) { return "pas d'isolement sous WebAssembly"; }

std::string limitResources(unsigned long long) { return "pas de limites de ressources sous WebAssembly"; }

} // namespace zef
