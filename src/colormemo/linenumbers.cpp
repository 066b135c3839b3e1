// TColorMemo's line numbers: a narrow widget beside the viewport, in the frame's left
// margin (the memo keeps that much room with its viewport margins). The text, its layout
// and so the colouring stay where the edit control puts them; only the viewport moves
// right, and every position inside it stays what it was.
#include "colormemo.h"

#include <QPainter>
#include <QTextBlock>

namespace zef {

class TColorMemo::LineNumberMargin : public QWidget {
public:
    explicit LineNumberMargin(TColorMemo& memo) : QWidget(&memo), memo_(memo) {
        setObjectName("LineNumbers");
        // The numbers are to be read, not clicked or typed into.
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override { return {memo_.lineNumberMarginWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* event) override { memo_.paintLineNumbers(event); }

private:
    TColorMemo& memo_;
};

void TColorMemo::setLineNumbersVisible(bool on) {
    if (on == lineNumbersVisible()) return;
    if (on) {
        lineNumbers_ = new LineNumberMargin(*this);
        // The margin follows the text: scrolling moves its numbers, new lines may widen it,
        // and the caret's line has its number drawn darker.
        connect(this, &QPlainTextEdit::blockCountChanged, lineNumbers_, [this] { updateLineNumberMargin(); });
        connect(this, &QPlainTextEdit::updateRequest, lineNumbers_, [this](const QRect& rect, int dy) {
            if (!lineNumbers_) return;
            if (dy != 0) lineNumbers_->scroll(0, dy);
            else lineNumbers_->update(0, rect.y(), lineNumbers_->width(), rect.height());
        });
        connect(this, &QPlainTextEdit::cursorPositionChanged, lineNumbers_, [this] { lineNumbers_->update(); });
        lineNumbers_->show();
    } else {
        delete lineNumbers_;
        lineNumbers_ = nullptr;
    }
    updateLineNumberMargin();
}

int TColorMemo::lineNumberMarginWidth() const {
    if (!lineNumbers_) return 0;
    // Room for the largest number, never less than two digits so that the text does not
    // jump sideways at line 10, and half a digit of space on each side.
    int digits = 2;
    for (int n = blockCount(); n >= 100; n /= 10) ++digits;
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('9'));
    return digit * digits + digit;
}

void TColorMemo::updateLineNumberMargin() {
    const int width = lineNumberMarginWidth();
    setViewportMargins(width, 0, 0, 0);
    if (!lineNumbers_) return;
    const QRect area = contentsRect();
    lineNumbers_->setGeometry(QRect(area.left(), area.top(), width, area.height()));
    lineNumbers_->update();
}

void TColorMemo::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (lineNumbers_) updateLineNumberMargin();
}

void TColorMemo::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    // A zoom or another font changes the digits' width: the margin follows.
    if (event->type() == QEvent::FontChange && lineNumbers_) updateLineNumberMargin();
}

void TColorMemo::paintLineNumbers(QPaintEvent* event) {
    QPainter painter(lineNumbers_);
    const QPalette& colours = palette();
    painter.fillRect(event->rect(), colours.color(QPalette::Window));
    painter.setFont(font());
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('9'));
    const int right = lineNumbers_->width() - digit / 2;
    const int caretLine = textCursor().blockNumber();
    // The other numbers in a half tone: readable, yet clearly not part of the program.
    QColor faint = colours.color(QPalette::WindowText);
    faint.setAlpha(150);
    const QPointF offset = contentOffset();
    // Each number stands on its line's first text line, at the same baseline as the text.
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > event->rect().bottom()) break;
        if (!block.isVisible() || box.bottom() < event->rect().top() || !block.layout() ||
            block.layout()->lineCount() == 0)
            continue;
        const QTextLine first = block.layout()->lineAt(0);
        const qreal baseline = box.top() + block.layout()->position().y() + first.y() + first.ascent();
        const QString number = QString::number(block.blockNumber() + 1);
        painter.setPen(block.blockNumber() == caretLine ? colours.color(QPalette::WindowText) : faint);
        painter.drawText(QPointF(right - fontMetrics().horizontalAdvance(number), baseline), number);
    }
}

} // namespace zef
