// The edge between the program's 8-bit text and Qt's Unicode strings, and the regional
// settings as the desktop gives them.
#pragma once

#include "regional.h"
#include "text.h"

#include <QLocale>
#include <QString>

namespace zef {

inline QString fromCp1252(const std::string& text) {
    const std::u16string u = cp1252ToUtf16(text);
    return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

inline std::string toCp1252(const QString& text) { return utf16ToCp1252(text.toStdU16String()); }

// The desktop's regional settings (not Qt's default locale, which the IDE sets to French
// for its own widgets); a C or POSIX locale counts as French.
inline RegionalSettings regionalSettingsFromQt() {
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C) return RegionalSettings::french();
    return RegionalSettings::forLocale(locale.name().toStdString());
}

} // namespace zef
