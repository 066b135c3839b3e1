// How the editors show a program, as the learner chose it in "Voir" (kept for the next
// start with the zoom): line numbers in a margin, and the design's font or the desktop's
// fixed-width one. Also the light colours the editor and the screen window paint on,
// whatever the desktop's palette.
#pragma once

#include <QFont>
#include <QPalette>

namespace zef::view {

struct EditorView {
    bool lineNumbers = true;
    bool fixedPitch = false;
};

EditorView load();
void save(const EditorView& view);

// The editor's font at a zoom factor: the design's Times New Roman, 17 pixels high at
// 100 %, or a fixed-width font (the desktop's, when its glyphs do have one width) at the
// same size.
QFont editorFont(bool fixedPitch, double zoom);
// A font whose glyphs all have one width: the desktop's fixed-width font when they do
// (fontconfig does not flag every such family), else the first usual one installed.
QFont fixedWidthFont();
// A colour between `base` and `tint` (`share` of the tint): a mark on a paper of any
// lightness that leaves the paper's own text readable.
QColor tinted(const QColor& base, const QColor& tint, qreal share);
// Whether a palette's paper is dark.
bool isDark(const QPalette& palette);
// Whether every glyph of the font takes the same width, as the eye sees it ("i" and "W").
bool glyphsOfOneWidth(const QFont& font);

// A light palette (the style's own standard one): the program text and the screen keep
// their white paper and the colour rules their contrast under a dark desktop theme.
QPalette lightPalette();

} // namespace zef::view
