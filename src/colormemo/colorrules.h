// Colour rules: which pieces of a memo's text are painted in which colour.
//
// A rule scans the part of the text that is about to be shown and appends coloured runs
// to the memo's run list; the memo then merges the runs by priority (colorpipeline.h).
// Four kinds of rule exist: keyword lists, begin/end pairs (block comments), line-end
// keys (line comments) and runs supplied by the memo's OnDraw handler.
//
// All positions are indices into the memo's whole text as 8-bit (Windows-1252) text in
// which every line break counts as the two characters CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zef {

// A colour: ordinary colours are $00BBGGRR (blue in the high byte), system colours are
// $80000000 plus the index of the system colour.
using TColor = std::uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor kSystemColorFlag = 0x80000000;
constexpr TColor clWindow = kSystemColorFlag | 5;     // window background
constexpr TColor clWindowText = kSystemColorFlag | 8; // text in windows
constexpr TColor clHighlight = kSystemColorFlag | 13;
constexpr TColor clHighlightText = kSystemColorFlag | 14;

// Reads a colour name ("Blue", "maroon", one of 16) or a red-green-blue hexadecimal
// number ("#FF0000", "$FF0000", "FF0000"). Anything unreadable is white.
TColor ParseColor(std::string_view text);

enum class TKeyDrawingType : std::uint8_t {
    dtKeyShow = 0,      // keyword list
    dtEventDraw = 1,    // runs from the memo's OnDraw handler
    dtBeginEnd = 2,     // begin key to end key, across lines
    dtBeginLineEnd = 3, // key to the end of its line
};

// Marks a free or cancelled record, or a run without an end.
constexpr std::int32_t kNoPosition = 0x7FFFFFFF;

// Reserved priorities. Runs of priority 254 or 255 only mask characters (they keep the
// edit control's own rendering) and are never drawn.
constexpr std::uint8_t kHotSpotTextPriority = 252;
constexpr std::uint8_t kHotSpotMarkerPriority = 253;
constexpr std::uint8_t kSelectionPriority = 254;
constexpr std::uint8_t kTabPriority = 255;

// One coloured run: characters start..end (inclusive) of the whole text.
struct TKeyDescr {
    std::int32_t start = kNoPosition;
    std::int32_t end = kNoPosition;
    TColor colour = 0;
    std::uint8_t priority = 0;
    std::uint8_t keyFlag = 0; // 1 for a keyword match of a dtKeyShow rule

    bool operator==(const TKeyDescr&) const = default;
};

// The memo's run list. Its records are reused from paint to paint: the list grows by one
// record whenever a writer needs an index at or beyond its count, and never shrinks.
class TKeyDescrList {
public:
    explicit TKeyDescrList(std::size_t capacity = 100) { records_.reserve(capacity); }
    int Count() const { return static_cast<int>(records_.size()); }
    const TKeyDescr& operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }
    void Put(int index, const TKeyDescr& run);
    void MarkAllFree();

private:
    std::vector<TKeyDescr> records_;
};

// The part of the text one paint scans: the characters from the scan start S up to the
// end of scanning E (exclusive). `text` is the copy of those characters; text.data()[size]
// is a zero byte. Positions handed out are absolute: text[i] is character start + i.
struct ScanText {
    std::string_view text;
    std::int32_t start = 0;
    std::int32_t end() const { return start + static_cast<std::int32_t>(text.size()); }
};

// Receives the runs of one paint. Every run goes to the next record of the run list and
// widens the range of coloured characters. Runs are clipped to the scanned text so that a
// run can never reach characters that are not shown (a selection of the whole document,
// say), which keeps the merge proportional to what is on screen.
class RunSink {
public:
    RunSink(TKeyDescrList& list, const ScanText& scanned);

    // Returns the index of the record written, or -1 when nothing of the run is left
    // after clipping.
    int Add(std::int32_t start, std::int32_t end, TColor colour, std::uint8_t priority,
            std::uint8_t keyFlag);
    // Marks a record written earlier as cancelled.
    void Cancel(int index);

    int NextFree() const { return next_; }
    // Lowest start and highest end of the runs written, -1 when there are none.
    std::int32_t Lowest() const { return lowest_; }
    std::int32_t Highest() const { return highest_; }
    TKeyDescrList& List() { return list_; }

private:
    TKeyDescrList& list_;
    std::int32_t first_, last_; // the scanned characters
    int next_ = 0;
    std::int32_t lowest_ = -1, highest_ = -1;
};

class TColorRule;

// The memo's OnDraw event: FromPos is the scanned text (starting at the scan start), A
// the memo's buffer of ColorLimMax records, zeroed before the call. The handler fills the
// first ItemsCount records with runs whose positions are relative to FromPos.
using TDrawEvent = std::function<void(TColorRule& Sender, std::string_view FromPos,
                                      std::span<TKeyDescr> A, int& ItemsCount)>;

// What dtEventDraw rules need from the memo that owns their collection.
struct DrawEventSource {
    TDrawEvent OnDraw;
    std::vector<TKeyDescr> buffer; // ColorLimMax records
};

// One entry of a rule's key table: a begin key and, for pairs, an end key, each cut to
// six characters.
struct TKeyEntry {
    std::string beginKey;
    std::string endKey;
    TColor colour = 0;
    // Scratch used while scanning: where the begin key next occurs at or after the
    // current scanning position (an index into the scanned text), -2 when not known yet.
    mutable std::int64_t nextOccurrence = -2;
};

constexpr std::size_t kKeyTableSlots = 40;
constexpr std::size_t kKeyMaxLength = 6;

// One keyword of a dtKeyShow rule, in the form it is searched for.
struct KeywordEntry {
    std::string keyword; // upper-cased unless the rule is case-sensitive
    TColor colour = 0;
};

class TDrawRules;

class TColorRule {
public:
    explicit TColorRule(TDrawRules* collection = nullptr);

    // Copies the rule's settings and lists (not IntChar, nor KeySelColor, which carry no
    // behaviour); the owner stays.
    void Assign(const TColorRule& source);

    std::uint8_t ZOrder() const { return zOrder_; }
    void setZOrder(std::uint8_t v) { zOrder_ = v; }
    const std::string& IntChar() const { return intChar_; }
    void setIntChar(std::string v) { intChar_ = std::move(v); }
    const std::vector<std::string>& Keywords() const { return keywords_; }
    void setKeywords(std::vector<std::string> lines);
    const std::vector<std::string>& KeyBegEndLst() const { return keyBegEndLst_; }
    void setKeyBegEndLst(std::vector<std::string> lines);
    const std::vector<std::string>& KeyLineEndLst() const { return keyLineEndLst_; }
    void setKeyLineEndLst(std::vector<std::string> lines);
    int KeyMaxHeight() const { return keyMaxHeight_; }
    void setKeyMaxHeight(int v) { keyMaxHeight_ = v; }
    TKeyDrawingType KeyDrawingType() const { return drawingType_; }
    void setKeyDrawingType(TKeyDrawingType v);
    bool KeyCase() const { return keyCase_; }
    void setKeyCase(bool v);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool v) { enabled_ = v; }
    bool PartWord() const { return partWord_; }
    void setPartWord(bool v) { partWord_ = v; }
    TColor DefKeyColor() const { return defKeyColor_; }
    void setDefKeyColor(TColor v);
    TColor KeySelColor() const { return keySelColor_; }
    void setKeySelColor(TColor v) { keySelColor_ = v; }
    TColor KeyBrushColor() const { return keyBrushColor_; }
    void setKeyBrushColor(TColor v) { keyBrushColor_ = v; }

    // Rebuilds the tables from the rule's own lists; true when the rule has something to
    // look for.
    bool Prepare();

    // The key table (begin/end pairs, or line-end keys for a dtBeginLineEnd rule) up to
    // its first empty entry, and the keywords with their colours, in list order.
    const std::vector<TKeyEntry>& KeyTable() const;
    const std::vector<KeywordEntry>& KeywordPattern() const;

    // Appends this rule's runs for the scanned text.
    void ScanRule(const ScanText& scanned, RunSink& runs);

private:
    void rebuildIfNeeded() const;
    void rebuildKeywordPattern() const;
    void rebuildPairs() const;
    void rebuildLineEndKeys() const;
    void scanKeywords(const ScanText& scanned, RunSink& runs);
    void scanBeginEnd(const ScanText& scanned, RunSink& runs);
    void scanLineEnd(const ScanText& scanned, RunSink& runs);
    void scanEventDraw(const ScanText& scanned, RunSink& runs);

    TDrawRules* collection_;
    std::uint8_t zOrder_ = 0;
    std::string intChar_;
    std::vector<std::string> keywords_, keyBegEndLst_, keyLineEndLst_;
    int keyMaxHeight_ = 1;
    TKeyDrawingType drawingType_ = TKeyDrawingType::dtBeginEnd;
    bool keyCase_ = false;
    bool enabled_ = true;
    bool partWord_ = false;
    TColor defKeyColor_ = clRed;
    TColor keySelColor_ = clYellow;
    TColor keyBrushColor_ = clWindow;

    // The tables follow the properties: any change that affects them marks them stale and
    // the next use rebuilds them, so a rule never scans with tables of older settings.
    mutable bool stale_ = true;
    mutable std::vector<TKeyEntry> keyTable_;
    mutable std::vector<KeywordEntry> keywordPattern_;
    // Upper-cased copy of the scanned text, kept between paints.
    std::string upperBuffer_;
};

// The ordered collection of a memo's rules.
class TDrawRules {
public:
    explicit TDrawRules(DrawEventSource* owner = nullptr) : owner_(owner) {}
    TDrawRules(const TDrawRules&) = delete;
    TDrawRules& operator=(const TDrawRules&) = delete;

    // Copies the given collection item by item; the owner stays.
    void Assign(const TDrawRules& source);

    TColorRule& Add();
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    TColorRule& Items(int i) { return *items_[static_cast<std::size_t>(i)]; }
    const TColorRule& Items(int i) const { return *items_[static_cast<std::size_t>(i)]; }

    // Prepares every rule unless the collection is prepared already; it counts as prepared
    // once any rule had something to look for.
    void PrepareRules();
    bool Prepared() const { return prepared_; }

    DrawEventSource* Owner() const { return owner_; }

private:
    DrawEventSource* owner_;
    std::vector<std::unique_ptr<TColorRule>> items_;
    bool prepared_ = false;
};

} // namespace zef
