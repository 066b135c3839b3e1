// Regional settings: decimal separator, short date and long time formats, month names.
// Read once at start-up; a C or POSIX locale (or one we do not know) counts as French.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zef {

struct DateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

struct RegionalSettings {
    char decimalSeparator = ',';
    // strftime-like patterns: %d %m %Y %H %M %S %I %p, and %-d %-m %-I without leading zero.
    std::string shortDateFormat = "%d/%m/%Y";
    std::string longTimeFormat = "%H:%M:%S";
    std::array<std::string, 12> monthNames; // 8-bit text, lower case as the locale writes them

    static RegionalSettings french();
    // A locale name such as fr_FR, en_US.UTF-8, de_DE@euro, C or POSIX.
    static RegionalSettings forLocale(std::string_view name);
    // Whether `name` is a locale name whose settings are known here: C or POSIX, or a
    // language given its own settings (fr, en, de, nl), each with an optional _TERRITORY,
    // .codeset and @modifier. Asked of a name given on a command line, where a misspelt
    // name must not quietly become French.
    static bool knowsLocale(std::string_view name);
    // LC_ALL, then LC_NUMERIC, then LANG, as the C library chooses the locale.
    static RegionalSettings fromEnvironment();

    std::string formatDate(const DateTime& dt) const;
    std::string formatTime(const DateTime& dt) const;
};

} // namespace zef
