#include "viewsettings.h"

#include "settingsfile.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>

#include <algorithm>

namespace zef::view {

EditorView load() {
    EditorView view;
    const auto settings = openSettings();
    if (!settings) return view;
    view.lineNumbers = settings->value(QStringLiteral("editeur/numerosDeLigne"), view.lineNumbers).toBool();
    view.fixedPitch = settings->value(QStringLiteral("editeur/chasseFixe"), view.fixedPitch).toBool();
    return view;
}

void save(const EditorView& view) {
    const auto settings = openSettings();
    if (!settings) return;
    settings->setValue(QStringLiteral("editeur/numerosDeLigne"), view.lineNumbers);
    settings->setValue(QStringLiteral("editeur/chasseFixe"), view.fixedPitch);
}

QFont editorFont(bool fixedPitch, double zoom) {
    QFont font;
    if (fixedPitch) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setStyleHint(QFont::TypeWriter);
        font.setFixedPitch(true);
    } else {
        font = QFont(QStringLiteral("Times New Roman"));
        font.setStyleHint(QFont::Serif);
    }
    font.setPixelSize(std::max(6, qRound(17 * zoom)));
    return font;
}

QPalette lightPalette() {
    const QPalette standard = QApplication::style()->standardPalette();
    if (standard.color(QPalette::Base).lightness() >= 160) return standard;
    // A style whose own palette is dark: one made from a light grey (white paper, black
    // text) instead.
    return QPalette(QColor(0xef, 0xef, 0xef));
}

} // namespace zef::view
