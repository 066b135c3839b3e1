#include "viewsettings.h"

#include "settingsfile.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
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

bool glyphsOfOneWidth(const QFont& font) {
    const QFontMetrics metrics(font);
    const int i = metrics.horizontalAdvance(QLatin1Char('i'));
    return i > 0 && i == metrics.horizontalAdvance(QLatin1Char('W')) && i == metrics.horizontalAdvance(QLatin1Char('m'));
}

// The desktop's fixed-width font when its glyphs do have one width, else the first usual
// family installed that has; what fontconfig says of a family is not enough (it does not
// flag every monospaced family as such). Chosen once per run.
QFont fixedWidthFont() {
    static const QFont chosen = [] {
        QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        system.setPixelSize(17);
        if (glyphsOfOneWidth(system)) return system;
        QStringList families{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                             QStringLiteral("Noto Sans Mono"), QStringLiteral("Courier New"),
                             QStringLiteral("Nimbus Mono PS"), QStringLiteral("FreeMono")};
        for (const QString& family : QFontDatabase::families())
            if (QFontDatabase::isFixedPitch(family)) families << family;
        for (const QString& family : families) {
            QFont candidate(family);
            candidate.setPixelSize(17);
            if (QFontInfo(candidate).family() == family && glyphsOfOneWidth(candidate)) return candidate;
        }
        return system; // nothing better on this machine
    }();
    return chosen;
}

QColor tinted(const QColor& base, const QColor& tint, qreal share) {
    return QColor::fromRgbF(base.redF() * (1 - share) + tint.redF() * share,
                            base.greenF() * (1 - share) + tint.greenF() * share,
                            base.blueF() * (1 - share) + tint.blueF() * share);
}

bool isDark(const QPalette& palette) { return palette.color(QPalette::Base).lightness() < 128; }

QFont editorFont(bool fixedPitch, double zoom) {
    QFont font;
    if (fixedPitch) {
        font = fixedWidthFont();
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
