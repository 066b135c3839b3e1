// TColorMemo: the multi-line text control with syntax colouring.
//
// The widget is a thin layer over ColorMemoEngine (colorpipeline.h): at every paint it
// hands the engine the lines on screen, and gives the merged segments to the layouts of
// those lines as additional formats that carry a text colour (and, for hot spots, an
// underline or a background). The edit control then draws the text itself in those
// colours; text the engine leaves alone keeps the control's own rendering, and the
// selection is drawn over the formats, so selected text keeps its selection look.
//
// The memo's lines are text blocks; positions handed to and from the engine count every
// line break as the two characters CR LF, as the rest of the program does.
#pragma once

#include "colorpipeline.h"
#include "search.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zef {

class TColorMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TColorMemo& Sender)>;
    using THotSpotClickEvent = std::function<void(TColorMemo& Sender, const QString& SRC)>;
    // Draws a keyword run instead of the memo. Rect covers the keyword, KColor is the
    // memo's font colour; the canvas pen already holds the run's colour.
    using TKeyDrawEvent =
        std::function<void(QPainter& Canvas, const QString& PKey, const QRect& Rect, TColor KColor)>;

    explicit TColorMemo(QWidget* parent = nullptr);

    // Asked before text that is typed, composed, pasted or dropped goes into the memo;
    // answering false keeps it out (the handler says why).
    using TAcceptTextEvent = std::function<bool(TColorMemo& Sender, const QString& Text)>;
    TAcceptTextEvent OnAcceptText;

    TNotifyEvent OnVScroll;
    TNotifyEvent OnHScroll;
    THotSpotClickEvent OnHotSpotClick;
    TKeyDrawEvent OnDrawKey;
    void setOnDraw(TDrawEvent handler) { engine_.setOnDraw(std::move(handler)); }

    // After changing rules in place, call PaintColors(false) to show the change.
    TDrawRules& ColorRules() { return engine_.ColorRules(); }
    void setColorRules(const TDrawRules& rules);
    int ColorLimMax() const { return engine_.ColorLimMax(); }
    void setColorLimMax(int records) { engine_.setColorLimMax(records); }
    bool RedrawAlways() const { return redrawAlways_; }
    void setRedrawAlways(bool on) { redrawAlways_ = on; }
    const THotSpot& HotSpot() const { return engine_.HotSpot(); }
    void setHotSpot(const THotSpot& hotSpot);
    // Whether the tab key types a tab (else it moves the focus).
    bool WantTabs() const { return !tabChangesFocus(); }
    void setWantTabs(bool on) { setTabChangesFocus(!on); }

    // Recolours the lines on screen and repaints the caret's line or every visible line.
    virtual void PaintColors(bool CaretLineOnly);

    // Searches from the selection and selects the match.
    bool SearchText(const QString& text, const SearchOptions& options);

    // The selection in whole-text positions (line breaks count as CR LF).
    int SelStart() const;
    int SelLength() const;
    void Select(int start, int length);
    int LineCount() const { return blockCount(); }
    // The 8-bit text of a line, and the whole text with CR LF line breaks.
    std::string LineText(int line) const;
    std::string WholeText() const;

    // The segments of the last colouring, for whoever wants to know what is coloured.
    const std::vector<TKeyDescr>& Segments() const { return engine_.Segments(); }

    // Converts a colour to the one shown, system colours through the memo's palette.
    QColor ToQColor(TColor colour) const;

    // Line numbers in a margin left of the text (linenumbers.cpp). They are drawn in the
    // memo's font, beside their lines, and are no part of the text: the line list, the
    // clipboard and the positions never see them.
    void setLineNumbersVisible(bool on);
    bool lineNumbersVisible() const { return lineNumbers_ != nullptr; }
    // The margin's width in pixels (0 when hidden).
    int lineNumberMarginWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    class DocumentLines;
    class LineNumberMargin;
    void updateLineNumberMargin();
    void paintLineNumbers(QPaintEvent* event);

    void textChangeNotification();
    void recolor();
    void applyFormats(const std::vector<TKeyDescr>& segments);
    void setBlockFormats(const QTextBlock& block, const QList<QTextLayout::FormatRange>& ranges);
    void clearFormats();
    QTextCharFormat formatOf(const TKeyDescr& run) const;
    void drawKeySegments();
    std::int32_t textEnd() const;
    int toDocumentPosition(std::int32_t index) const;
    std::int32_t toIndex(int documentPosition) const;
    QRect caretLineRect() const;
    std::optional<std::string> hotSpotUnder(const QPoint& position) const;

    ColorMemoEngine engine_;
    bool redrawAlways_ = false;
    int savedLineCount_ = 0;
    std::int32_t savedTextEnd_ = 0;
    // Keyword segments left to the OnDrawKey handler at the last colouring.
    std::vector<TKeyDescr> keySegments_;
    bool handCursor_ = false;
    LineNumberMargin* lineNumbers_ = nullptr;
};

// Gives the memo the program editor's four colour rules.
void SetEditorColorRules(TColorMemo& memo);

} // namespace zef
