#include "helpindex.h"

#include <algorithm>

namespace zef {
namespace {

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The letters U+00C0 to U+00FF without their accents, lower case; "" where there is no
// plain letter (the multiplication and division signs keep their own bytes).
constexpr const char* latin1Folded[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "o", "",  "o", "u", "u", "u", "u", "y", "th", "y"};

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

// Splits a line at "|" into trimmed fields.
std::vector<std::string> fields(std::string_view line) {
    std::vector<std::string> out;
    while (true) {
        const auto bar = line.find('|');
        out.emplace_back(trimmed(line.substr(0, bar)));
        if (bar == std::string_view::npos) break;
        line.remove_prefix(bar + 1);
    }
    return out;
}

bool skipped(std::string_view line) {
    const auto t = trimmed(line);
    return t.empty() || t.front() == '#';
}

// True when key starts a word of text other than its first: words begin after a blank,
// an apostrophe, a hyphen, a parenthesis, a dot or a slash.
bool startsLaterWord(const std::string& text, const std::string& key) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char before = text[i - 1];
        if (before != ' ' && before != '\'' && before != '-' && before != '(' && before != '.' &&
            before != '/')
            continue;
        if (text.compare(i, key.size(), key) == 0) return true;
    }
    return false;
}

} // namespace

std::string HelpIndex::fold(std::string_view utf8) {
    std::string out;
    bool pendingBlank = false;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::string piece;
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            pendingBlank = !out.empty();
            continue;
        }
        if (c < 0x80) {
            piece = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
        } else if (c == 0xC3 && i + 1 < utf8.size()) {
            const auto d = static_cast<unsigned char>(utf8[i + 1]);
            if (d >= 0x80 && d <= 0xBF && *latin1Folded[d - 0x80] != '\0') {
                piece = latin1Folded[d - 0x80];
            } else {
                piece = std::string(utf8.substr(i, 2));
            }
            ++i;
        } else if (c == 0xC5 && i + 1 < utf8.size() &&
                   (utf8[i + 1] == '\x92' || utf8[i + 1] == '\x93')) { // Œ œ
            piece = "oe";
            ++i;
        } else if (c == 0xE2 && utf8.substr(i, 3) == "\xE2\x80\x99") { // typographic apostrophe
            piece = "'";
            i += 2;
        } else {
            piece = std::string(1, static_cast<char>(c));
        }
        if (pendingBlank) out += ' ';
        pendingBlank = false;
        out += piece;
    }
    return out;
}

void HelpIndex::load(std::string_view text, std::vector<std::string>* errors) {
    entries_.clear();
    const auto lines = splitLines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (skipped(lines[n])) continue;
        auto f = fields(lines[n]);
        if (f.size() < 2 || f.size() > 3 || f[0].empty() || f[1].empty()) {
            if (errors) errors->push_back("ligne " + std::to_string(n + 1) + " : " + std::string(lines[n]));
            continue;
        }
        entries_.push_back({f[0], f[1], f.size() == 3 ? f[2] : std::string()});
    }
}

const HelpKeyword* HelpIndex::entryFor(std::string_view word) const {
    const std::string k = fold(word);
    if (k.empty()) return nullptr;
    for (const HelpKeyword& entry : entries_)
        if (fold(entry.keyword) == k) return &entry;
    return nullptr;
}

std::vector<HelpKeyword> HelpIndex::search(std::string_view key) const {
    const std::string k = fold(key);
    struct Ranked {
        int rank;
        std::string folded;
        const HelpKeyword* entry;
    };
    std::vector<Ranked> ranked;
    for (const auto& e : entries_) {
        std::string f = fold(e.keyword);
        if (f.compare(0, k.size(), k) == 0) ranked.push_back({0, std::move(f), &e});
        else if (startsLaterWord(f, k)) ranked.push_back({1, std::move(f), &e});
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        return a.folded < b.folded; // entries of one keyword keep the index's order

    });
    std::vector<HelpKeyword> out;
    out.reserve(ranked.size());
    for (const auto& r : ranked) out.push_back(*r.entry);
    return out;
}

bool HelpIndex::isShared(const HelpKeyword& entry) const {
    const std::string f = fold(entry.keyword);
    return std::count_if(entries_.begin(), entries_.end(),
                         [&](const HelpKeyword& e) { return fold(e.keyword) == f; }) > 1;
}

std::vector<HelpTopic> parseHelpContents(std::string_view text, std::vector<std::string>* errors) {
    std::vector<HelpTopic> topics;
    const auto lines = splitLines(text);
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (skipped(lines[n])) continue;
        std::size_t indent = 0;
        while (indent < lines[n].size() && lines[n][indent] == ' ') ++indent;
        auto f = fields(lines[n]);
        if (f.size() != 2 || f[0].empty() || f[1].empty() || indent % 2 != 0) {
            if (errors) errors->push_back("ligne " + std::to_string(n + 1) + " : " + std::string(lines[n]));
            continue;
        }
        topics.push_back({static_cast<int>(indent / 2), f[0], f[1]});
    }
    return topics;
}

std::pair<std::string, std::string> splitHelpTarget(const std::string& target) {
    const auto hash = target.find('#');
    if (hash == std::string::npos) return {target, {}};
    return {target.substr(0, hash), target.substr(hash + 1)};
}

} // namespace zef
