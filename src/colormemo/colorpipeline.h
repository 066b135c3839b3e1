// The colouring of one paint, without any window: which lines are scanned, which runs the
// rules, the hot spots, tabs and the selection produce, and how the runs merge into the
// segments that are drawn.
//
// Only the lines on screen (plus KeyMaxHeight - 1 above them) are looked at, and every
// buffer is kept from paint to paint, so the cost of a paint does not depend on the
// length of the document.
#pragma once

#include "colorrules.h"
#include "hotspot.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zef {

// The memo's lines as the painting sees them: 8-bit text, positions counting every line
// break as CR LF.
class LineSource {
public:
    virtual ~LineSource() = default;
    virtual int LineCount() const = 0;
    // Index of the first character of the line in the whole text.
    virtual std::int32_t LineStart(int line) const = 0;
    virtual std::int32_t LineLength(int line) const = 0;
    // Appends the line's text (without its line break).
    virtual void AppendLine(int line, std::string& out) const = 0;
};

// A LineSource over lines held in memory.
class LineVector : public LineSource {
public:
    explicit LineVector(std::vector<std::string> lines);
    int LineCount() const override { return static_cast<int>(lines_.size()); }
    std::int32_t LineStart(int line) const override { return starts_[static_cast<std::size_t>(line)]; }
    std::int32_t LineLength(int line) const override {
        return static_cast<std::int32_t>(lines_[static_cast<std::size_t>(line)].size());
    }
    void AppendLine(int line, std::string& out) const override { out += lines_[static_cast<std::size_t>(line)]; }
    // The whole text, lines joined by CR LF.
    std::string WholeText() const;

private:
    std::vector<std::string> lines_;
    std::vector<std::int32_t> starts_;
};

// Which part of the text a paint scans: lines scanStartLine up to (not including)
// endLine are copied, from S to E.
struct PaintPlan {
    int scanStartLine = 0;
    int endLine = 0;
    // E is the first character of line endLine (the copy ends with that line's preceding
    // CR LF) rather than the end of the last copied line.
    bool endsAtLineStart = false;
    std::int32_t S = 0;
    std::int32_t E = 0;
};

// Plans the paint of `linesToPaint` lines from `firstLine`. `keyMaxHeight` comes from the
// first rule (scanning starts that many lines minus one above the first line), or is 0
// when there are no rules. A line is painted only while `fits` says it is wholly inside
// the window; scanning ends at the first line that is not.
PaintPlan PlanPaint(const LineSource& lines, int firstLine, int linesToPaint, int keyMaxHeight,
                    const std::function<bool(int line)>& fits);

// Copies the planned lines, joined by CR LF, into `out`.
void CopyPlannedText(const LineSource& lines, const PaintPlan& plan, std::string& out);

// What the memo contributes besides its rules.
struct PaintState {
    bool wantTabs = false;       // tabs keep the edit control's own rendering
    bool redrawAlways = false;   // colour the caret's line up to the caret in the font colour
    std::int32_t caretLineStart = 0;
    std::int32_t caretPosition = 0;
    std::int32_t selStart = 0;   // selection, in whole-text positions
    std::int32_t selLength = 0;
    TColor fontColor = clWindowText;
    TColor backgroundColor = clWindow;
};

// The merge cell of one character.
struct CharCell {
    TColor colour = 0;
    std::uint8_t priority = 0;
    std::uint8_t keyFlag = 0;
    bool used = false;
};

// The plain part of the colour memo: its rules, hot spot, OnDraw buffer, run list and
// merge cells, and the colouring pipeline.
class ColorMemoEngine {
public:
    ColorMemoEngine();
    ColorMemoEngine(const ColorMemoEngine&) = delete;
    ColorMemoEngine& operator=(const ColorMemoEngine&) = delete;

    TDrawRules& ColorRules() { return rules_; }
    const TDrawRules& ColorRules() const { return rules_; }
    void setColorRules(const TDrawRules& rules) { rules_.Assign(rules); }
    THotSpot& HotSpot() { return hotSpot_; }
    const THotSpot& HotSpot() const { return hotSpot_; }
    void setHotSpot(const THotSpot& hotSpot) { hotSpot_ = hotSpot; }
    int ColorLimMax() const { return static_cast<int>(drawSource_.buffer.size()); }
    void setColorLimMax(int records);
    const TDrawEvent& OnDraw() const { return drawSource_.OnDraw; }
    void setOnDraw(TDrawEvent handler) { drawSource_.OnDraw = std::move(handler); }

    // True when there is anything to colour: a rule, or an active hot spot.
    bool HasWork() const { return rules_.Count() > 0 || hotSpot_.Active; }

    // A whole paint: prepares the rules, plans the lines, copies them and colours them.
    // Returns the segments to draw.
    const std::vector<TKeyDescr>& Paint(const LineSource& lines, int firstLine, int linesToPaint,
                                        const std::function<bool(int line)>& fits,
                                        const PaintState& state);

    // The producers, the merge and the segments, for text already copied.
    const std::vector<TKeyDescr>& Colorize(const ScanText& scanned, const PaintState& state);

    const std::vector<TKeyDescr>& Segments() const { return segments_; }
    const PaintPlan& LastPlan() const { return plan_; }
    const std::string& TextBuffer() const { return textBuffer_; }

private:
    void merge(const RunSink& sink);
    void cutSegments(std::int32_t lowest, std::size_t cellCount);

    DrawEventSource drawSource_;
    TDrawRules rules_{&drawSource_};
    THotSpot hotSpot_;
    TKeyDescrList runs_{100};
    std::vector<CharCell> cells_;
    std::vector<TKeyDescr> segments_;
    std::string textBuffer_;
    PaintPlan plan_;
};

} // namespace zef
