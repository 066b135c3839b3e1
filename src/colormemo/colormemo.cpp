#include "colormemo.h"

#include "editorrules.h"
#include "hotspot.h"
#include "text.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

namespace zef {
namespace {

// One byte per UTF-16 unit, so that positions in the 8-bit text and in the block agree.
char toByte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return static_cast<char>(u);
    if (c.isSurrogate()) return '?';
    return utf16ToCp1252(std::u16string_view(&u, 1))[0];
}

void appendBytes(const QString& text, std::string& out) {
    const auto size = out.size();
    out.resize(size + static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) out[size + static_cast<std::size_t>(i)] = toByte(text[i]);
}

QString fromBytes(std::string_view text) {
    return QString::fromStdU16String(cp1252ToUtf16(text));
}

bool isCaretMovingKey(int key) {
    switch (key) {
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_End: case Qt::Key_Home:
    case Qt::Key_Left: case Qt::Key_Up: case Qt::Key_Right: case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

} // namespace

// The document's blocks as the engine's line list.
class TColorMemo::DocumentLines : public LineSource {
public:
    explicit DocumentLines(const QTextDocument& document) : document_(document) {}
    int LineCount() const override { return document_.blockCount(); }
    std::int32_t LineStart(int line) const override {
        return document_.findBlockByNumber(line).position() + line;
    }
    std::int32_t LineLength(int line) const override {
        return document_.findBlockByNumber(line).length() - 1;
    }
    void AppendLine(int line, std::string& out) const override {
        appendBytes(document_.findBlockByNumber(line).text(), out);
    }

private:
    const QTextDocument& document_;
};

TColorMemo::TColorMemo(QWidget* parent) : QPlainTextEdit(parent) {
    // Lines are never wrapped: a line of the program is a line on screen, and the memo
    // scrolls sideways instead.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // The mouse is followed without a button held, for the hand cursor over hot spots.
    viewport()->setMouseTracking(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TColorMemo::textChangeNotification);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (OnVScroll) OnVScroll(*this);
        PaintColors(false);
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (OnHScroll) OnHScroll(*this);
        PaintColors(false);
    });
}

void TColorMemo::setColorRules(const TDrawRules& rules) {
    engine_.setColorRules(rules);
    PaintColors(false);
}

void TColorMemo::setHotSpot(const THotSpot& hotSpot) {
    engine_.setHotSpot(hotSpot);
    PaintColors(false);
}

QColor TColorMemo::ToQColor(TColor colour) const {
    if ((colour & kSystemColorFlag) == 0)
        return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    const QPalette& p = palette();
    switch (colour & 0xFF) {
    case 5: return p.color(QPalette::Base);             // window background
    case 8: return p.color(QPalette::Text);             // window text
    case 13: return p.color(QPalette::Highlight);
    case 14: return p.color(QPalette::HighlightedText);
    case 15: return p.color(QPalette::Button);          // button face
    case 18: return p.color(QPalette::ButtonText);
    case 17: return p.color(QPalette::Disabled, QPalette::Text); // grey text
    default: return p.color(QPalette::Text);
    }
}

// ---------------------------------------------------------------------------------------
// Positions

std::int32_t TColorMemo::toIndex(int documentPosition) const {
    return document()->findBlock(documentPosition).blockNumber() + documentPosition;
}

int TColorMemo::toDocumentPosition(std::int32_t index) const {
    // The line holding the index is the last whose first character is at or before it.
    const QTextDocument& doc = *document();
    int low = 0, high = doc.blockCount() - 1;
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (doc.findBlockByNumber(mid).position() + mid <= index) low = mid;
        else high = mid - 1;
    }
    const QTextBlock block = doc.findBlockByNumber(low);
    // Both characters of a line break stand for the block's end.
    const int column = std::clamp(index - (block.position() + low), 0, block.length() - 1);
    return block.position() + column;
}

std::int32_t TColorMemo::textEnd() const {
    const QTextBlock last = document()->lastBlock();
    return last.position() + last.blockNumber() + last.length() - 1;
}

int TColorMemo::SelStart() const { return toIndex(textCursor().selectionStart()); }

int TColorMemo::SelLength() const {
    const QTextCursor c = textCursor();
    return toIndex(c.selectionEnd()) - toIndex(c.selectionStart());
}

void TColorMemo::Select(int start, int length) {
    QTextCursor c = textCursor();
    c.setPosition(toDocumentPosition(start));
    if (length > 0) c.setPosition(toDocumentPosition(start + length), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

std::string TColorMemo::LineText(int line) const {
    std::string text;
    if (line >= 0 && line < blockCount()) appendBytes(document()->findBlockByNumber(line).text(), text);
    return text;
}

std::string TColorMemo::WholeText() const {
    std::string text;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (b != document()->begin()) text += "\r\n";
        appendBytes(b.text(), text);
    }
    return text;
}

// ---------------------------------------------------------------------------------------
// Colouring

void TColorMemo::PaintColors(bool CaretLineOnly) {
    recolor();
    // Recolouring repaints whatever changed colour; the edit itself needs the caret's
    // line, or everything when lines came or went.
    if (CaretLineOnly)
        viewport()->update(caretLineRect());
    else
        viewport()->update();
}

QRect TColorMemo::caretLineRect() const {
    const QRectF r = blockBoundingGeometry(textCursor().block()).translated(contentOffset());
    return QRect(0, static_cast<int>(r.top()), viewport()->width(), static_cast<int>(r.height()) + 1);
}

void TColorMemo::textChangeNotification() {
    if (redrawAlways_) {
        PaintColors(false);
        return;
    }
    // One character typed within a line changes neither the line count nor anything but
    // the text's length by one.
    const int lineCount = blockCount();
    const std::int32_t end = textEnd();
    PaintColors(lineCount == savedLineCount_ && end == savedTextEnd_ + 1);
    savedLineCount_ = lineCount;
    savedTextEnd_ = end;
}

void TColorMemo::recolor() {
    keySegments_.clear();
    if (!isEnabled() || !isVisible() || !engine_.HasWork()) {
        clearFormats();
        return;
    }
    const QTextCursor cursor = textCursor();
    PaintState state;
    state.wantTabs = WantTabs();
    state.redrawAlways = redrawAlways_;
    state.caretPosition = toIndex(cursor.position());
    state.caretLineStart = cursor.block().position() + cursor.blockNumber();
    if (cursor.hasSelection()) {
        state.selStart = toIndex(cursor.selectionStart());
        state.selLength = toIndex(cursor.selectionEnd()) - state.selStart;
    }

    // A line is painted only when it is wholly inside the window.
    const QPointF offset = contentOffset();
    const int bottom = viewport()->height();
    const auto fits = [&](int line) {
        const QRectF r = blockBoundingGeometry(document()->findBlockByNumber(line)).translated(offset);
        return r.top() >= 0 && r.bottom() <= bottom;
    };
    const int first = firstVisibleBlock().blockNumber();
    const auto& segments = engine_.Paint(DocumentLines(*document()), first, blockCount() - first, fits, state);

    applyFormats(segments);
}

QTextCharFormat TColorMemo::formatOf(const TKeyDescr& run) const {
    QTextCharFormat format;
    format.setForeground(ToQColor(run.colour));
    // A hot-spot marker disappears in a block of its colour.
    if (run.priority == kHotSpotMarkerPriority) format.setBackground(ToQColor(run.colour));
    if (run.priority == kHotSpotTextPriority && engine_.HotSpot().Underlined) format.setFontUnderline(true);
    return format;
}

void TColorMemo::applyFormats(const std::vector<TKeyDescr>& segments) {
    // Every line on screen gets the formats of the segments that cover it, and no others:
    // the partly visible last line, for one, is left plain. Lines whose formats did not
    // change are not touched, so a repaint that changes nothing costs no layout.
    const int bottom = viewport()->height();
    const QPointF offset = contentOffset();
    std::size_t next = 0;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > bottom) break;
        const std::int32_t lineStart = block.position() + block.blockNumber();
        const std::int32_t lineEnd = lineStart + block.length() - 1; // the CR
        QList<QTextLayout::FormatRange> ranges;
        while (next < segments.size() && segments[next].end < lineStart) ++next;
        for (std::size_t i = next; i < segments.size() && segments[i].start < lineEnd; ++i) {
            const TKeyDescr& run = segments[i];
            // Tabs and the selection keep the edit control's rendering.
            if (run.end == kNoPosition || run.start < 0 || run.priority == kSelectionPriority ||
                run.priority == kTabPriority)
                continue;
            if (run.keyFlag == 1 && OnDrawKey) {
                if (run.start >= lineStart) keySegments_.push_back(run);
                continue;
            }
            const std::int32_t from = std::max(run.start, lineStart);
            const std::int32_t to = std::min(run.end, lineEnd - 1);
            if (from <= to) ranges.append({from - lineStart, to - from + 1, formatOf(run)});
        }
        setBlockFormats(block, ranges);
    }
}

void TColorMemo::setBlockFormats(const QTextBlock& block, const QList<QTextLayout::FormatRange>& ranges) {
    QTextLayout* layout = block.layout();
    if (!layout || layout->formats() == ranges) return;
    layout->setFormats(ranges);
    // Lays the line out again with its new formats; the text itself is unchanged, so
    // neither the change event nor the undo history hears of it.
    document()->markContentsDirty(block.position(), block.length());
}

void TColorMemo::clearFormats() { applyFormats({}); }

void TColorMemo::drawKeySegments() {
    if (keySegments_.empty() || !OnDrawKey) return;
    QPainter painter(viewport());
    painter.setFont(font());
    const QPointF offset = contentOffset();
    const int height = fontMetrics().height();
    for (const TKeyDescr& run : keySegments_) {
        const int position = toDocumentPosition(run.start);
        const QTextBlock block = document()->findBlock(position);
        const int column = position - block.position();
        const QTextLine line = block.layout()->lineForTextPosition(column);
        if (!line.isValid()) continue;
        const QPointF topLeft = blockBoundingGeometry(block).translated(offset).topLeft();
        const QString key = block.text().mid(column, run.end - run.start + 1);
        const int left = static_cast<int>(topLeft.x() + line.cursorToX(column));
        const int top = static_cast<int>(topLeft.y() + line.y());
        painter.setPen(ToQColor(run.colour));
        OnDrawKey(painter, key, QRect(left, top, fontMetrics().horizontalAdvance(key), height), clWindowText);
    }
}

void TColorMemo::paintEvent(QPaintEvent* event) {
    recolor();
    QPlainTextEdit::paintEvent(event);
    drawKeySegments();
}

// ---------------------------------------------------------------------------------------
// Keyboard and mouse

void TColorMemo::keyPressEvent(QKeyEvent* event) {
    // A key that types text asks first, as a paste does; editing and moving keys do not.
    const QString typed = event->text();
    if (OnAcceptText && !isReadOnly() && !typed.isEmpty() && !OnAcceptText(*this, typed)) {
        event->accept();
        return;
    }
    const bool noModifier = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection() && noModifier && isCaretMovingKey(event->key())) {
        // A caret key first drops the selection and puts the caret at its end; the key
        // then moves the caret from there as usual.
        cursor.setPosition(cursor.selectionEnd());
        setTextCursor(cursor);
        PaintColors(false);
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TColorMemo::inputMethodEvent(QInputMethodEvent* event) {
    if (OnAcceptText && !event->commitString().isEmpty() && !OnAcceptText(*this, event->commitString())) {
        // Refused: nothing is committed, and the text being composed goes too.
        QInputMethodEvent nothing;
        QPlainTextEdit::inputMethodEvent(&nothing);
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TColorMemo::insertFromMimeData(const QMimeData* source) {
    if (OnAcceptText && source && source->hasText() && !OnAcceptText(*this, source->text())) return;
    QPlainTextEdit::insertFromMimeData(source);
}

void TColorMemo::keyReleaseEvent(QKeyEvent* event) {
    // Some platforms still report the shift key as held in its own release.
    if (event->key() == Qt::Key_Shift && (event->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier)
        PaintColors(false);
    QPlainTextEdit::keyReleaseEvent(event);
}

void TColorMemo::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton &&
        event->modifiers() == Qt::NoModifier)
        PaintColors(false);
    QPlainTextEdit::mousePressEvent(event);
}

void TColorMemo::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) PaintColors(false);
    QPlainTextEdit::mouseReleaseEvent(event);
    if (!handCursor_ || !OnHotSpotClick) return;
    if (const auto text = hotSpotUnder(event->position().toPoint())) OnHotSpotClick(*this, fromBytes(*text));
}

void TColorMemo::mouseMoveEvent(QMouseEvent* event) {
    if (engine_.HotSpot().Active) {
        const bool inside = hotSpotUnder(event->position().toPoint()).has_value();
        if (inside != handCursor_) {
            viewport()->setCursor(inside ? Qt::PointingHandCursor : Qt::IBeamCursor);
            handCursor_ = inside;
        }
    }
    QPlainTextEdit::mouseMoveEvent(event);
}

std::optional<std::string> TColorMemo::hotSpotUnder(const QPoint& position) const {
    const QTextBlock block = cursorForPosition(position).block();
    if (!block.isValid() || !block.layout()) return std::nullopt;
    const QRectF r = blockBoundingGeometry(block).translated(contentOffset());
    if (position.y() < r.top() || position.y() >= r.bottom()) return std::nullopt;
    const QTextLayout& layout = *block.layout();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const qreal y = position.y() - r.top();
        if (y < line.y() || y >= line.y() + line.height()) continue;
        // The character under the mouse, not the nearest gap between characters.
        const int column = line.xToCursor(position.x() - r.left(), QTextLine::CursorOnCharacter);
        if (position.x() - r.left() > line.naturalTextWidth()) return std::nullopt;
        return HotSpotAt(engine_.HotSpot(), LineText(block.blockNumber()), static_cast<std::size_t>(column));
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Search

bool TColorMemo::SearchText(const QString& text, const SearchOptions& options) {
    std::string what;
    appendBytes(text, what);
    std::int64_t start = SelStart(), length = SelLength();
    if (!zef::SearchText(WholeText(), start, length, what, options)) return false;
    Select(static_cast<int>(start), static_cast<int>(length));
    return true;
}

void SetEditorColorRules(TColorMemo& memo) {
    SetEditorColorRules(memo.ColorRules());
    memo.PaintColors(false);
}

} // namespace zef
