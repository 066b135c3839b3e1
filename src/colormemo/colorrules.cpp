#include "colorrules.h"

#include "numtext.h"
#include "text.h"

#include <algorithm>
#include <array>
#include <utility>

namespace zef {
namespace {

struct NamedColor {
    std::string_view name;
    TColor colour;
};

constexpr std::array<NamedColor, 16> kColorNames = {{
    {"BLACK", 0x000000},  {"MAROON", 0x000080}, {"GREEN", 0x008000}, {"OLIVE", 0x008080},
    {"NAVY", 0x800000},   {"PURPLE", 0x800080}, {"TEAL", 0x808000},  {"GRAY", 0x808080},
    {"SILVER", 0xC0C0C0}, {"RED", 0x0000FF},    {"LIME", 0x00FF00},  {"YELLOW", 0x00FFFF},
    {"BLUE", 0xFF0000},   {"FUCHSIA", 0xFF00FF}, {"AQUA", 0xFFFF00}, {"WHITE", 0xFFFFFF},
}};

// A letter for the keyword word test: the at sign, A to Z and a to z. Digits, the
// underscore and every byte above 127 are no letters.
bool isWordTestLetter(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 64 && b <= 90) || (b >= 97 && b <= 122);
}

TColor colourOrDefault(std::string_view colourPart, TColor defaultColour) {
    return trim(colourPart).empty() ? defaultColour : ParseColor(colourPart);
}

std::string cutKey(std::string_view key) { return std::string(key.substr(0, kKeyMaxLength)); }

constexpr std::int64_t kNever = -1;   // the key does not occur again in the scanned text
constexpr std::int64_t kUnknown = -2; // not searched yet

// Finds, from position p, the earliest occurrence of any entry's begin key; when several
// keys occur at the same position the lowest entry wins. Each entry remembers its next
// occurrence, so that a scan stays linear however many keys the table holds.
std::pair<std::size_t, std::size_t> earliestKey(const std::vector<TKeyEntry>& table,
                                                std::string_view text, std::size_t p) {
    std::size_t bestEntry = table.size(), bestPos = std::string_view::npos;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const TKeyEntry& entry = table[i];
        if (entry.nextOccurrence == kNever) continue;
        if (entry.nextOccurrence < static_cast<std::int64_t>(p)) {
            const std::size_t found = text.find(entry.beginKey, p);
            entry.nextOccurrence =
                found == std::string_view::npos ? kNever : static_cast<std::int64_t>(found);
            if (found == std::string_view::npos) continue;
        }
        const auto pos = static_cast<std::size_t>(entry.nextOccurrence);
        if (pos < bestPos) bestPos = pos, bestEntry = i;
    }
    return {bestEntry, bestPos};
}

} // namespace

TColor ParseColor(std::string_view text) {
    const std::string s = upperAscii(trim(text)).substr(0, 10);
    for (const NamedColor& named : kColorNames)
        if (s == named.name) return named.colour;
    std::string hex = s;
    if (const auto hash = hex.find('#'); hash != std::string::npos) hex.erase(hash, 1);
    if (hex.find('$') == std::string::npos) hex.insert(0, "$");
    const auto value = parseInteger(hex);
    if (!value) return clWhite;
    // The text is red-green-blue; a TColor keeps blue in the high byte.
    const auto rgb = static_cast<std::uint32_t>(*value);
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

void TKeyDescrList::Put(int index, const TKeyDescr& run) {
    const auto i = static_cast<std::size_t>(index);
    if (i >= records_.size())
        records_.push_back(run);
    else
        records_[i] = run;
}

void TKeyDescrList::MarkAllFree() {
    for (TKeyDescr& r : records_) r.start = kNoPosition;
}

RunSink::RunSink(TKeyDescrList& list, const ScanText& scanned)
    : list_(list), first_(scanned.start), last_(scanned.end() - 1) {}

int RunSink::Add(std::int32_t start, std::int32_t end, TColor colour, std::uint8_t priority,
                 std::uint8_t keyFlag) {
    start = std::max(start, first_);
    end = std::min(end, last_);
    if (start > end) return -1;
    list_.Put(next_, TKeyDescr{start, end, colour, priority, keyFlag});
    if (lowest_ < 0 || start < lowest_) lowest_ = start;
    if (end > highest_) highest_ = end;
    return next_++;
}

void RunSink::Cancel(int index) {
    if (index < 0 || index >= list_.Count()) return;
    TKeyDescr run = list_[index];
    run.start = kNoPosition;
    list_.Put(index, run);
}

// ---------------------------------------------------------------------------------------

TColorRule::TColorRule(TDrawRules* collection) : collection_(collection) {}

void TColorRule::Assign(const TColorRule& source) {
    if (&source == this) return;
    drawingType_ = source.drawingType_;
    zOrder_ = source.zOrder_;
    keyMaxHeight_ = source.keyMaxHeight_;
    keyCase_ = source.keyCase_;
    enabled_ = source.enabled_;
    partWord_ = source.partWord_;
    defKeyColor_ = source.defKeyColor_;
    keyBrushColor_ = source.keyBrushColor_;
    setKeywords(source.keywords_);
    setKeyLineEndLst(source.keyLineEndLst_);
    setKeyBegEndLst(source.keyBegEndLst_);
}

void TColorRule::setKeywords(std::vector<std::string> lines) {
    keywords_ = std::move(lines);
    stale_ = true;
}

void TColorRule::setKeyBegEndLst(std::vector<std::string> lines) {
    keyBegEndLst_ = std::move(lines);
    stale_ = true;
}

void TColorRule::setKeyLineEndLst(std::vector<std::string> lines) {
    keyLineEndLst_ = std::move(lines);
    stale_ = true;
}

void TColorRule::setKeyDrawingType(TKeyDrawingType v) {
    drawingType_ = v;
    stale_ = true;
}

void TColorRule::setKeyCase(bool v) {
    keyCase_ = v;
    stale_ = true;
}

void TColorRule::setDefKeyColor(TColor v) {
    defKeyColor_ = v;
    stale_ = true;
}

bool TColorRule::Prepare() {
    stale_ = true;
    rebuildIfNeeded();
    return !keyBegEndLst_.empty() ||
           (drawingType_ == TKeyDrawingType::dtKeyShow && !keywords_.empty()) ||
           (drawingType_ == TKeyDrawingType::dtBeginLineEnd && !keyLineEndLst_.empty());
}

const std::vector<TKeyEntry>& TColorRule::KeyTable() const {
    rebuildIfNeeded();
    return keyTable_;
}

const std::vector<KeywordEntry>& TColorRule::KeywordPattern() const {
    rebuildIfNeeded();
    return keywordPattern_;
}

void TColorRule::rebuildIfNeeded() const {
    if (!stale_) return;
    rebuildKeywordPattern();
    // One table serves both kinds of key: line-end keys for a line-end rule, begin/end
    // pairs for every other kind.
    if (drawingType_ == TKeyDrawingType::dtBeginLineEnd)
        rebuildLineEndKeys();
    else
        rebuildPairs();
    stale_ = false;
}

void TColorRule::rebuildKeywordPattern() const {
    // Each keyword keeps its own colour, so neither the number of distinct colours nor a
    // keyword's length or characters are limited.
    keywordPattern_.clear();
    for (const std::string& line : keywords_) {
        if (trim(line).empty()) continue;
        const auto semicolon = line.find(';');
        const std::string_view whole(line);
        const std::string_view keywordPart = whole.substr(0, semicolon);
        const std::string_view colourPart =
            semicolon == std::string::npos ? std::string_view() : whole.substr(semicolon + 1);
        if (trim(keywordPart).empty()) continue;
        // Blanks around the keyword are part of it, as the list gives it.
        std::string keyword(keywordPart);
        if (!keyCase_) keyword = upperAscii(keyword);
        keywordPattern_.push_back({std::move(keyword), colourOrDefault(colourPart, defKeyColor_)});
    }
}

void TColorRule::rebuildPairs() const {
    // A line without a begin key leaves its slot empty, and the first empty slot ends the
    // table: the pairs after it are never looked for.
    keyTable_.clear();
    const std::size_t lines = std::min(keyBegEndLst_.size(), kKeyTableSlots);
    for (std::size_t k = 0; k < lines; ++k) {
        const std::string_view line(keyBegEndLst_[k]);
        const auto first = line.find(';');
        if (first == std::string_view::npos || first == 0) break;
        const std::string_view rest = line.substr(first + 1);
        const auto second = rest.find(';');
        TKeyEntry entry;
        entry.beginKey = cutKey(line.substr(0, first));
        entry.endKey = cutKey(rest.substr(0, second));
        const std::string_view colourPart =
            second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);
        entry.colour = colourOrDefault(colourPart, defKeyColor_);
        keyTable_.push_back(std::move(entry));
    }
}

void TColorRule::rebuildLineEndKeys() const {
    keyTable_.clear();
    const std::size_t lines = std::min(keyLineEndLst_.size(), kKeyTableSlots);
    for (std::size_t k = 0; k < lines; ++k) {
        const std::string_view line(keyLineEndLst_[k]);
        std::string_view key = line, colourPart;
        const auto p = line.find(';');
        if (p != std::string_view::npos && p >= 1) {
            key = line.substr(0, p);
            colourPart = line.substr(p + 1);
        } else if (p == 0 && line.size() >= 2 && line[1] == ';') {
            // ";;" is how a list names the semicolon itself as the key.
            key = line.substr(0, 1);
            colourPart = line.substr(2);
        }
        if (key.empty()) break;
        TKeyEntry entry;
        entry.beginKey = cutKey(key);
        entry.colour = colourOrDefault(colourPart, defKeyColor_);
        keyTable_.push_back(std::move(entry));
    }
}

void TColorRule::ScanRule(const ScanText& scanned, RunSink& runs) {
    rebuildIfNeeded();
    switch (drawingType_) {
    case TKeyDrawingType::dtKeyShow: scanKeywords(scanned, runs); break;
    case TKeyDrawingType::dtBeginEnd: scanBeginEnd(scanned, runs); break;
    case TKeyDrawingType::dtBeginLineEnd: scanLineEnd(scanned, runs); break;
    case TKeyDrawingType::dtEventDraw: scanEventDraw(scanned, runs); break;
    }
}

void TColorRule::scanKeywords(const ScanText& scanned, RunSink& runs) {
    if (keywordPattern_.empty()) return;
    std::string_view text = scanned.text;
    if (!keyCase_) {
        // Searched in an upper-cased copy; positions are the same as in the text. The
        // buffer is kept, so a paint allocates nothing once it is large enough.
        upperBuffer_.assign(text);
        for (char& c : upperBuffer_)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        text = upperBuffer_;
    }
    for (const KeywordEntry& entry : keywordPattern_) {
        const std::size_t length = entry.keyword.size();
        for (std::size_t q = text.find(entry.keyword); q != std::string_view::npos;
             q = text.find(entry.keyword, q + length)) {
            // The start of the scanned text is the start of a line, so whatever comes
            // before it is a line break: no letter. Past its end lies the zero byte.
            const bool letterBefore = q > 0 && isWordTestLetter(text[q - 1]);
            const bool letterAfter = q + length < text.size() && isWordTestLetter(text[q + length]);
            if (partWord_ || (!letterBefore && !letterAfter)) {
                const auto start = scanned.start + static_cast<std::int32_t>(q);
                runs.Add(start, start + static_cast<std::int32_t>(length) - 1, entry.colour, zOrder_, 1);
            }
        }
    }
}

void TColorRule::scanBeginEnd(const ScanText& scanned, RunSink& runs) {
    const std::string_view text = scanned.text;
    for (const TKeyEntry& entry : keyTable_) entry.nextOccurrence = kUnknown;
    std::size_t p = 0;
    while (p < text.size()) {
        const auto [index, b] = earliestKey(keyTable_, text, p);
        if (index == keyTable_.size()) return;
        const TKeyEntry& entry = keyTable_[index];
        // An empty end key never matches: such a pair behaves like a begin key whose end is
        // missing. A begin key without its end ends the scan (the comment may close below
        // what is shown); the runs made before it stay.
        if (entry.endKey.empty()) return;
        const std::size_t e = text.find(entry.endKey, b + 1);
        if (e == std::string_view::npos) return;
        runs.Add(scanned.start + static_cast<std::int32_t>(b),
                 scanned.start + static_cast<std::int32_t>(e + entry.endKey.size()) - 1,
                 entry.colour, zOrder_, 0);
        // Scanning goes on one character after the end key's first character.
        p = e + 1;
    }
}

void TColorRule::scanLineEnd(const ScanText& scanned, RunSink& runs) {
    const std::string_view text = scanned.text;
    for (const TKeyEntry& entry : keyTable_) entry.nextOccurrence = kUnknown;
    std::size_t p = 0;
    while (p < text.size()) {
        const auto [index, q] = earliestKey(keyTable_, text, p);
        if (index == keyTable_.size()) return;
        const std::size_t lineEnd = text.find("\r\n", q);
        const std::size_t last = lineEnd == std::string_view::npos ? text.size() - 1 : lineEnd - 1;
        runs.Add(scanned.start + static_cast<std::int32_t>(q),
                 scanned.start + static_cast<std::int32_t>(last), keyTable_[index].colour, zOrder_, 0);
        if (lineEnd == std::string_view::npos) return;
        p = lineEnd + 1;
    }
}

void TColorRule::scanEventDraw(const ScanText& scanned, RunSink& runs) {
    DrawEventSource* owner = collection_ ? collection_->Owner() : nullptr;
    if (!owner || !owner->OnDraw || owner->buffer.empty()) return;
    std::fill(owner->buffer.begin(), owner->buffer.end(), TKeyDescr{0, 0, 0, 0, 0});
    int itemsCount = 0;
    owner->OnDraw(*this, scanned.text, std::span<TKeyDescr>(owner->buffer), itemsCount);
    // The handler cannot return more records than the buffer holds, and its positions are
    // clipped to the scanned text by the sink.
    const auto count = static_cast<std::size_t>(
        std::clamp(itemsCount, 0, static_cast<int>(owner->buffer.size())));
    for (std::size_t i = 0; i < count; ++i) {
        const TKeyDescr& a = owner->buffer[i];
        const std::int64_t start = std::int64_t{scanned.start} + a.start;
        const std::int64_t end = std::int64_t{scanned.start} + a.end;
        if (end < start || end < scanned.start || start >= scanned.end()) continue;
        runs.Add(static_cast<std::int32_t>(std::max<std::int64_t>(start, scanned.start)),
                 static_cast<std::int32_t>(std::min<std::int64_t>(end, scanned.end())),
                 a.colour, a.priority != 0 ? a.priority : zOrder_, 0);
    }
}

// ---------------------------------------------------------------------------------------

void TDrawRules::Assign(const TDrawRules& source) {
    if (&source == this) return;
    items_.clear();
    for (const auto& item : source.items_) Add().Assign(*item);
    prepared_ = false;
}

TColorRule& TDrawRules::Add() {
    items_.push_back(std::make_unique<TColorRule>(this));
    return *items_.back();
}

void TDrawRules::Clear() {
    items_.clear();
    prepared_ = false;
}

void TDrawRules::PrepareRules() {
    if (prepared_) return;
    bool anything = false;
    for (auto& item : items_) anything = item->Prepare() || anything;
    prepared_ = anything;
}

} // namespace zef
