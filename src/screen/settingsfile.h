// The IDE's settings file, for everything it remembers (zoom, view, recent files).
#pragma once

#include <QSettings>

#include <memory>

namespace zef {

// The settings file where QSettings would put it, opened only when it is a regular file or
// not there yet: Qt reads it whole, and a named pipe or a device in its place would hold
// the IDE at start. Only this one file is read, not the system-wide ones. Null otherwise:
// nothing is then remembered, and the defaults hold.
std::unique_ptr<QSettings> openSettings();

} // namespace zef
