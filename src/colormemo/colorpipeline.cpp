#include "colorpipeline.h"

#include <algorithm>

namespace zef {

LineVector::LineVector(std::vector<std::string> lines) : lines_(std::move(lines)) {
    starts_.reserve(lines_.size());
    std::int32_t start = 0;
    for (const std::string& line : lines_) {
        starts_.push_back(start);
        start += static_cast<std::int32_t>(line.size()) + 2;
    }
}

std::string LineVector::WholeText() const {
    std::string text;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines_[i];
    }
    return text;
}

PaintPlan PlanPaint(const LineSource& lines, int firstLine, int linesToPaint, int keyMaxHeight,
                    const std::function<bool(int line)>& fits) {
    PaintPlan plan;
    const int count = lines.LineCount();
    if (count == 0) return plan;
    const int first = std::clamp(firstLine, 0, count - 1);
    const int last = first + std::clamp(linesToPaint, 1, count - first) - 1;
    // Begin/end pairs that open up to KeyMaxHeight - 1 lines above the first painted line
    // are recognised; a comment opened further up is not. A height below 1 would start
    // the scan below the first painted line, so it counts as 1.
    int scanStart = first;
    if (keyMaxHeight > 0 && first > 0) scanStart = std::max(0, first - keyMaxHeight + 1);
    plan.scanStartLine = scanStart;
    plan.S = lines.LineStart(scanStart);
    for (int line = first; line <= last; ++line) {
        if (!fits(line)) {
            // A partly visible line is not coloured, and nothing below it is scanned.
            plan.endLine = line;
            plan.endsAtLineStart = true;
            plan.E = lines.LineStart(line);
            return plan;
        }
    }
    plan.endLine = last + 1;
    plan.E = lines.LineStart(last) + lines.LineLength(last);
    return plan;
}

void CopyPlannedText(const LineSource& lines, const PaintPlan& plan, std::string& out) {
    out.clear();
    for (int line = plan.scanStartLine; line < plan.endLine; ++line) {
        lines.AppendLine(line, out);
        if (line + 1 < plan.endLine || plan.endsAtLineStart) out += "\r\n";
    }
}

ColorMemoEngine::ColorMemoEngine() {
    cells_.reserve(2048);
    segments_.reserve(100);
    textBuffer_.reserve(2048);
}

void ColorMemoEngine::setColorLimMax(int records) {
    if (records == ColorLimMax()) return;
    drawSource_.buffer.clear();
    drawSource_.buffer.shrink_to_fit();
    if (records > 0) drawSource_.buffer.resize(static_cast<std::size_t>(records));
}

const std::vector<TKeyDescr>& ColorMemoEngine::Paint(const LineSource& lines, int firstLine,
                                                     int linesToPaint,
                                                     const std::function<bool(int)>& fits,
                                                     const PaintState& state) {
    rules_.PrepareRules();
    const int keyMaxHeight = rules_.Count() > 0 ? std::max(1, rules_.Items(0).KeyMaxHeight()) : 0;
    plan_ = PlanPaint(lines, firstLine, linesToPaint, keyMaxHeight, fits);
    CopyPlannedText(lines, plan_, textBuffer_);
    return Colorize(ScanText{textBuffer_, plan_.S}, state);
}

const std::vector<TKeyDescr>& ColorMemoEngine::Colorize(const ScanText& scanned, const PaintState& state) {
    runs_.MarkAllFree();
    RunSink sink(runs_, scanned);
    ScanHotSpots(hotSpot_, scanned, sink);
    if (state.wantTabs) {
        // A tab is masked so that the edit control's own rendering of it stays.
        for (std::size_t i = scanned.text.find('\t'); i != std::string_view::npos;
             i = scanned.text.find('\t', i + 1)) {
            const auto at = scanned.start + static_cast<std::int32_t>(i);
            sink.Add(at, at, state.backgroundColor, kTabPriority, 0);
        }
    }
    if (state.redrawAlways)
        sink.Add(state.caretLineStart, state.caretPosition, state.fontColor, 0, 0);
    for (int i = 0; i < rules_.Count(); ++i)
        if (rules_.Items(i).Enabled()) rules_.Items(i).ScanRule(scanned, sink);
    if (state.selLength > 0)
        sink.Add(state.selStart, state.selStart + state.selLength - 1, state.backgroundColor,
                 kSelectionPriority, 0);
    merge(sink);
    return segments_;
}

void ColorMemoEngine::merge(const RunSink& sink) {
    segments_.clear();
    if (sink.Lowest() < 0) return;
    const std::int32_t lowest = sink.Lowest();
    const auto cellCount = static_cast<std::size_t>(sink.Highest() - lowest + 1);
    // One extra clear cell closes the last segment.
    if (cells_.size() < cellCount + 1) cells_.resize(cellCount + 1);
    std::fill_n(cells_.begin(), cellCount + 1, CharCell{});
    // Higher priority wins; at equal priority the later run wins.
    for (int r = 0; r < sink.NextFree(); ++r) {
        const TKeyDescr& run = runs_[r];
        if (run.start == kNoPosition || run.end == kNoPosition || run.end < run.start) continue;
        for (std::int32_t c = run.start; c <= run.end; ++c) {
            CharCell& cell = cells_[static_cast<std::size_t>(c - lowest)];
            if (run.priority >= cell.priority) cell = CharCell{run.colour, run.priority, run.keyFlag, true};
        }
    }
    cutSegments(lowest, cellCount);
}

void ColorMemoEngine::cutSegments(std::int32_t lowest, std::size_t cellCount) {
    // A segment is a stretch of cells alike in colour, priority and key flag. Clear cells
    // compare as black, priority 0, no key; a segment is drawn only when its last cell is
    // used.
    const auto differs = [](const CharCell& a, const CharCell& b) {
        return a.colour != b.colour || a.priority != b.priority || a.keyFlag != b.keyFlag;
    };
    std::size_t segmentStart = 0;
    CharCell current = cells_[0];
    for (std::size_t i = 1; i <= cellCount; ++i) {
        if (!differs(cells_[i], current)) continue;
        const CharCell& before = cells_[i - 1];
        if (before.used)
            segments_.push_back(TKeyDescr{lowest + static_cast<std::int32_t>(segmentStart),
                                          lowest + static_cast<std::int32_t>(i) - 1, before.colour,
                                          before.priority, before.keyFlag});
        current = cells_[i];
        segmentStart = i;
    }
}

} // namespace zef
