// Where the IDE finds what installs beside it.
#pragma once

#include <QString>

namespace zef {

// The folder of the example programs of an installed IDE whose program is in
// `programFolder` (bin/ beside share/doc/<package>/examples), or an empty text when
// there is none (the IDE runs from its build folder, or the documentation was left out).
QString installedExamplesFolder(const QString& programFolder);

} // namespace zef
