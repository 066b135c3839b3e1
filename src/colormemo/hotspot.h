// Hot spots: stretches of text enclosed between two marker characters, shown as links
// (coloured, underlined, markers blotted out) that report a click with the enclosed text.
#pragma once

#include "colorrules.h"

#include <optional>
#include <string>
#include <string_view>

namespace zef {

struct THotSpot {
    char BeginChar = '\x1E'; // opens a hot spot; character 0 switches hot spots off
    char EndChar = '\x1F';   // closes a hot spot; may equal BeginChar
    TColor Color = clBlue;   // the enclosed text
    TColor MarkerColor = clWindow;
    bool Active = false;
    bool Underlined = true;

    bool operator==(const THotSpot&) const = default;
};

// Appends the runs of the hot spots in the scanned text: each marker blotted out in
// MarkerColor (priority 253) and the enclosed text in Color (priority 252).
void ScanHotSpots(const THotSpot& hotSpot, const ScanText& scanned, RunSink& runs);

// The hot-spot test for the mouse: `line` is the text of the line under the mouse and
// `column` the 0-based position of the character under it. Returns the text the click
// reports (the enclosed text around the mouse) when the mouse is inside a hot spot.
std::optional<std::string> HotSpotAt(const THotSpot& hotSpot, std::string_view line, std::size_t column);

} // namespace zef
