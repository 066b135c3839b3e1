// What a program has drawn on the screen window, kept as the list of texts it drew rather
// than as pixels: the window repaints from it at any zoom and at the screen's own pixel
// density, and the learner can copy the text, save a picture or print it.
#pragma once

#include <QRect>
#include <QString>

#include <map>
#include <vector>

namespace zef {

struct ScreenText {
    int x = 0;
    int y = 0;
    int width = 0; // in pixels of the screen font; the height is the font's
    QString text;
};

class ScreenRecord {
public:
    // Texts drawn further right than this are out of sight for good and are not kept.
    static constexpr int kMaxCoordinate = 8192;
    // Downwards the window scrolls: texts are kept as far as the count below allows (two
    // hundred thousand lines of 18 pixels stay well inside this).
    static constexpr int kMaxRowCoordinate = 1 << 26;
    // A program that keeps drawing texts that do not cover each other (and so all stay
    // visible) is bounded all the same: past this count the oldest are forgotten.
    static constexpr std::size_t kMaxTexts = 200000;

    explicit ScreenRecord(int lineHeight = 18) : lineHeight_(lineHeight) {}

    // A text drawn on an opaque background: it hides every earlier text whose box lies
    // inside its own, and those are dropped. Answers the box drawn (empty when dropped).
    QRect add(int x, int y, int width, const QString& text);
    // CLRSCR: everything drawn so far is gone; the window shows a frame of the given size.
    void clear(const QSize& outline);
    void setLineHeight(int height) { lineHeight_ = height; }

    // The texts still visible, in drawing order (a later text is painted over an earlier).
    std::vector<const ScreenText*> texts() const;
    // The outline left by the last CLRSCR, empty when there was none since the start.
    const QSize& outline() const { return outline_; }
    // The lowest and rightmost pixel drawn on.
    QRect extent() const;
    // The bottom of the lowest text drawn since the last clear (texts forgotten past the
    // count included): where the window's scrolling ends.
    int bottom() const { return bottom_; }
    // The drawing as plain text: texts of a row joined left to right (gaps become spaces,
    // one per 8 pixels), rows top to bottom, one empty line per empty row of 18 pixels.
    QString plainText() const;
    bool empty() const { return live_ == 0; }

private:
    void compact();

    struct Entry {
        ScreenText text;
        bool live = true;
    };
    std::vector<Entry> entries_;
    std::map<int, std::vector<std::size_t>> rows_; // y -> indices of live entries
    std::size_t live_ = 0;
    QSize outline_;
    int bottom_ = 0;
    int lineHeight_;
};

} // namespace zef
