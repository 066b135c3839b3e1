// Reading the command lines of zefrun and zefcorrige.
#pragma once

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace zef {

// "--option VALUE" or "--option=VALUE" at argv[i], under any of the names: 1 with the value
// in `out` (i then stands on the value when it was a word of its own), 0 when argv[i] is
// not that option, -1 when its value is missing.
inline int optionValue(int argc, char** argv, int& i, std::initializer_list<const char*> names, std::string& out) {
    const std::string a = argv[i];
    for (const std::string name : names) {
        if (a == name) {
            if (i + 1 >= argc) return -1;
            out = argv[++i];
            return 1;
        }
        if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
            out = a.substr(name.size() + 1);
            return 1;
        }
    }
    return 0;
}

// A whole number above zero, all of the text.
inline bool parsePositive(const std::string& text, std::uint64_t& out) {
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && at == text.data() + text.size() && out > 0;
}

// A size in bytes, or with K (Kio) or M (Mio) after it; at most 1 Tio.
inline bool parseSize(std::string text, std::uint64_t& out) {
    std::uint64_t unit = 1;
    if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) unit = 1024;
    if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) unit = 1024 * 1024;
    if (unit != 1) text.pop_back();
    if (!parsePositive(text, out) || out > (1ull << 40) / unit) return false;
    out *= unit;
    return true;
}

} // namespace zef
