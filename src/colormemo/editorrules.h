// The colour rules of the program editor: line comments and brace comments in grey,
// statements and built-ins in blue, declarations and block words in maroon.
#pragma once

#include "colorrules.h"

namespace zef {

// Replaces the rules of the collection by the editor's four rules.
void SetEditorColorRules(TDrawRules& rules);

} // namespace zef
