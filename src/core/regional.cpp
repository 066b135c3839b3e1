#include "regional.h"

#include "text.h"

#include <algorithm>
#include <cstdlib>

namespace zef {
namespace {

std::array<std::string, 12> months(std::array<const char*, 12> utf8) {
    std::array<std::string, 12> out;
    for (std::size_t i = 0; i < 12; ++i) out[i] = utf8ToCp1252(utf8[i]);
    return out;
}

std::string two(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string expand(const std::string& pattern, const DateTime& dt) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 >= pattern.size()) {
            out += pattern[i];
            continue;
        }
        bool bare = false; // "%-d": no leading zero
        char c = pattern[++i];
        if (c == '-' && i + 1 < pattern.size()) bare = true, c = pattern[++i];
        const int hour12 = dt.hour % 12 == 0 ? 12 : dt.hour % 12;
        auto num = [&](int v) { return bare ? std::to_string(v) : two(v); };
        switch (c) {
        case 'd': out += num(dt.day); break;
        case 'm': out += num(dt.month); break;
        case 'Y': out += std::to_string(dt.year); break;
        case 'H': out += num(dt.hour); break;
        case 'I': out += num(hour12); break;
        case 'M': out += two(dt.minute); break;
        case 'S': out += two(dt.second); break;
        case 'p': out += dt.hour < 12 ? "AM" : "PM"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

RegionalSettings RegionalSettings::french() {
    RegionalSettings r;
    r.monthNames = months({"janvier", "février", "mars", "avril", "mai", "juin", "juillet", "août",
                           "septembre", "octobre", "novembre", "décembre"});
    return r;
}

RegionalSettings RegionalSettings::forLocale(std::string_view name) {
    const std::string lower = lowerAscii(name);
    const std::string language = lower.substr(0, lower.find_first_of("_.@-"));
    const auto underscore = lower.find('_');
    const std::string territory =
        underscore == std::string::npos ? "" : lower.substr(underscore + 1, 2);
    RegionalSettings r = french();
    if (language == "en") {
        r.decimalSeparator = '.';
        r.monthNames = months({"January", "February", "March", "April", "May", "June", "July",
                               "August", "September", "October", "November", "December"});
        if (territory == "us" || territory.empty()) {
            r.shortDateFormat = "%-m/%-d/%Y";
            r.longTimeFormat = "%-I:%M:%S %p";
        }
    } else if (language == "de") {
        r.shortDateFormat = "%d.%m.%Y";
        r.monthNames = months({"Januar", "Februar", "März", "April", "Mai", "Juni", "Juli",
                               "August", "September", "Oktober", "November", "Dezember"});
    } else if (language == "nl") {
        r.shortDateFormat = "%d-%m-%Y";
    }
    // French, C, POSIX and every other language: the French settings.
    return r;
}

bool RegionalSettings::knowsLocale(std::string_view name) {
    // language[_TERRITORY][.codeset][@modifier]
    const std::size_t end = std::min(name.find('.'), name.find('@'));
    std::string_view base = name.substr(0, end);
    std::string_view rest = end == std::string_view::npos ? std::string_view() : name.substr(end);
    auto word = [](std::string_view text, bool allowDigits) {
        return !text.empty() && std::all_of(text.begin(), text.end(), [&](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (allowDigits && (c >= '0' && c <= '9')) ||
                   (allowDigits && (c == '-' || c == '_'));
        });
    };
    if (!rest.empty()) {
        const std::size_t at = rest.find('@');
        const std::string_view codeset = rest.substr(0, at), modifier = at == std::string_view::npos
                                                                           ? std::string_view()
                                                                           : rest.substr(at);
        if (!codeset.empty() && !word(codeset.substr(1), true)) return false;
        if (!modifier.empty() && !word(modifier.substr(1), true)) return false;
    }
    if (base == "C" || base == "POSIX") return true;
    const std::size_t underscore = base.find('_');
    const std::string language = lowerAscii(base.substr(0, underscore));
    if (underscore != std::string_view::npos) {
        const std::string_view territory = base.substr(underscore + 1);
        if (territory.size() != 2 || !word(territory, false)) return false;
    }
    return language == "fr" || language == "en" || language == "de" || language == "nl";
}

RegionalSettings RegionalSettings::fromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value) return forLocale(value);
    }
    return french();
}

std::string RegionalSettings::formatDate(const DateTime& dt) const {
    return expand(shortDateFormat, dt);
}

std::string RegionalSettings::formatTime(const DateTime& dt) const {
    return expand(longTimeFormat, dt);
}

} // namespace zef
