#include "hotspot.h"

namespace zef {

void ScanHotSpots(const THotSpot& hotSpot, const ScanText& scanned, RunSink& runs) {
    if (!hotSpot.Active || hotSpot.BeginChar == '\0') return;
    const std::string_view text = scanned.text;
    std::size_t p = 0;
    while (p < text.size()) {
        const std::size_t b = text.find(hotSpot.BeginChar, p);
        if (b == std::string_view::npos) return;
        const auto begin = scanned.start + static_cast<std::int32_t>(b);
        const int marker = runs.Add(begin, begin, hotSpot.MarkerColor, kHotSpotMarkerPriority, 0);
        const std::size_t e = text.find(hotSpot.EndChar, b + 1);
        if (e == std::string_view::npos) {
            // A hot spot that does not close on screen is not shown at all.
            runs.Cancel(marker);
            return;
        }
        const auto end = scanned.start + static_cast<std::int32_t>(e);
        runs.Add(begin + 1, end - 1, hotSpot.Color, kHotSpotTextPriority, 0);
        runs.Add(end, end, hotSpot.MarkerColor, kHotSpotMarkerPriority, 0);
        p = e + 1;
    }
}

std::optional<std::string> HotSpotAt(const THotSpot& hotSpot, std::string_view line, std::size_t column) {
    if (!hotSpot.Active || hotSpot.BeginChar == '\0' || column >= line.size()) return std::nullopt;
    // Only the line under the mouse is looked at: the mouse is inside a hot spot when the
    // first marker to its right closes one. A hot spot may have opened on an earlier line.
    const std::string_view right = line.substr(column);
    const std::size_t pe = right.find(hotSpot.EndChar);
    const std::size_t pb = right.find(hotSpot.BeginChar);
    if (pe == std::string_view::npos) return std::nullopt;
    if (!(pe < pb || hotSpot.BeginChar == hotSpot.EndChar)) return std::nullopt;
    const std::string_view left = line.substr(0, column);
    const std::size_t lastBegin = left.rfind(hotSpot.BeginChar);
    std::string result(lastBegin == std::string_view::npos ? left : left.substr(lastBegin + 1));
    result.append(right.substr(0, pe));
    return result;
}

} // namespace zef
