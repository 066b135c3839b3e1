#include "text.h"

#include <cstdint>
#include <cstring>

#include <array>

namespace zef {
namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves undefined.
constexpr std::array<char32_t, 32> kHighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char codePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighTable.size(); ++i)
        if (kHighTable[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
    // The undefined bytes travel through Unicode as the C1 control of the same value.
    if (cp >= 0x80 && cp <= 0x9F && kHighTable[cp - 0x80] == 0) return static_cast<char>(cp);
    return '?';
}

} // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        ++i;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

namespace {

// The end of the run of ASCII bytes that starts at `from`, eight bytes at a time: ASCII
// reads the same in UTF-8 and in Windows-1252, so such runs are copied as they are.
std::size_t asciiRunEnd(std::string_view s, std::size_t from) {
    std::size_t i = from;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, s.data() + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
    return i;
}

} // namespace

char32_t cp1252ToCodePoint(unsigned char c) {
    if (c >= 0x80 && c <= 0x9F && kHighTable[c - 0x80] != 0) return kHighTable[c - 0x80];
    return c;
}

void appendCp1252AsUtf8(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = asciiRunEnd(text, i);
        out.append(text.data() + i, end - i);
        if (end == text.size()) break;
        appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(text[end])));
        i = end + 1;
    }
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendCp1252AsUtf8(out, text);
    return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t end = asciiRunEnd(utf8, i);
        out.append(utf8.data() + i, end - i);
        if ((i = end) == utf8.size()) break;
        char32_t cp;
        if (decodeUtf8(utf8, i, cp)) {
            out += codePointToCp1252(cp);
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

std::string charactersOutside1252(std::string_view utf8) {
    std::string found;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t start = i;
        char32_t cp;
        if (!decodeUtf8(utf8, i, cp)) {
            ++i;
            continue;
        }
        const std::string_view character = utf8.substr(start, i - start);
        if (cp != '?' && codePointToCp1252(cp) == '?' && found.find(character) == std::string::npos)
            found += character;
    }
    return found;
}

std::u16string cp1252ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<char16_t>(cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string utf16ToCp1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) ++i, cp = '?';
        out += (cp >= 0xD800 && cp <= 0xDFFF) ? '?' : codePointToCp1252(cp);
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    char32_t cp;
    while ((i = asciiRunEnd(bytes, i)) < bytes.size())
        if (!decodeUtf8(bytes, i, cp)) return false;
    return true;
}

std::string decodeFileText(std::string_view bytes, bool* wasUtf8) {
    if (startsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
    const bool utf8 = isValidUtf8(bytes);
    if (wasUtf8) *wasUtf8 = utf8;
    return utf8 ? utf8ToCp1252(bytes) : std::string(bytes);
}

std::string trimLeft(std::string_view text) {
    std::size_t b = 0;
    while (b < text.size() && isBlank(text[b])) ++b;
    return std::string(text.substr(b));
}

std::string trimRight(std::string_view text) {
    std::size_t e = text.size();
    while (e > 0 && isBlank(text[e - 1])) --e;
    return std::string(text.substr(0, e));
}

std::string trim(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

void upperAsciiInPlace(std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 'a' + 'A');
}

std::string upperAscii(std::string_view text) {
    std::string out(text);
    upperAsciiInPlace(out);
    return out;
}

void lowerAsciiInPlace(std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    lowerAsciiInPlace(out);
    return out;
}

std::string tabsToSpaces(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t') c = ' ';
    return out;
}

std::string cut255(std::string_view text) { return std::string(text.substr(0, kMaxPartLength)); }

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string dropTrailing(std::string_view text, char c) {
    if (!text.empty() && text.back() == c) text.remove_suffix(1);
    return std::string(text);
}

std::string dropLast(std::string_view text) {
    if (!text.empty()) text.remove_suffix(1);
    return std::string(text);
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    bool pending = false; // a line has started (or text ended without a line end)
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) lines.push_back(std::move(current));
    return lines;
}

} // namespace zef
