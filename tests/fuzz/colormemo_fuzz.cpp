// libFuzzer target over what the editor does with a file's bytes before a window shows
// them: decoding and splitting into lines as loading does, then the colour memo's scanning
// and merging of one paint, and a search, with positions taken from the input.
//
// An input is: four bytes (first line to paint, selection start and length, search
// options), then the file's bytes.
#include "colorpipeline.h"
#include "editorrules.h"
#include "search.h"
#include "text.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace zef;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 4, size - 4);
    bool utf8 = false;
    (void)charactersOutside1252(bytes);
    LineVector lines(splitLines(decodeFileText(bytes, &utf8)));
    const std::string whole = lines.WholeText();

    ColorMemoEngine engine;
    SetEditorColorRules(engine.ColorRules());
    PaintState state;
    state.wantTabs = data[3] & 1;
    state.redrawAlways = data[3] & 2;
    state.selStart = static_cast<std::int32_t>(data[1]) * 7 % (static_cast<std::int32_t>(whole.size()) + 1);
    state.selLength = data[2];
    state.caretPosition = state.selStart;
    const int first = lines.LineCount() == 0 ? 0 : data[0] % lines.LineCount();
    state.caretLineStart = lines.LineCount() == 0 ? 0 : lines.LineStart(first);
    engine.Paint(lines, first, 40, [](int) { return true; }, state);

    // The search text is the line the paint started at.
    std::string needle;
    if (lines.LineCount() > 0) lines.AppendLine(first, needle);
    SearchOptions options;
    options.Down = data[3] & 4;
    options.MatchCase = data[3] & 8;
    options.WholeWord = data[3] & 16;
    std::int64_t selStart = state.selStart, selLength = state.selLength;
    SearchText(whole, selStart, selLength, needle.substr(0, 16), options);
    return 0;
}
