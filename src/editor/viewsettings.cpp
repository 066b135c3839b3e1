#include "viewsettings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QSettings>
#include <QStyle>

#include <algorithm>

namespace zef::view {

EditorView load() {
    const QSettings settings;
    EditorView view;
    view.lineNumbers = settings.value(QStringLiteral("editeur/numerosDeLigne"), view.lineNumbers).toBool();
    view.fixedPitch = settings.value(QStringLiteral("editeur/chasseFixe"), view.fixedPitch).toBool();
    return view;
}

void save(const EditorView& view) {
    QSettings settings;
    settings.setValue(QStringLiteral("editeur/numerosDeLigne"), view.lineNumbers);
    settings.setValue(QStringLiteral("editeur/chasseFixe"), view.fixedPitch);
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
