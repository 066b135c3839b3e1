// The help's keyword index and table of contents, as plain data that the help viewer
// shows and the tests check without a window. Both come from small text files shipped
// with the help pages (help/motscles.txt and help/sommaire.txt), in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zef {

// One line of the keyword index: a keyword, the page (and anchor) it leads to, and a
// title telling entries of the same keyword apart.
struct HelpKeyword {
    std::string keyword;
    std::string target; // "page.html" or "page.html#anchor"
    std::string title;
};

// One line of the table of contents; level 0 is a top-level entry.
struct HelpTopic {
    int level = 0;
    std::string title;
    std::string target;
};

class HelpIndex {
public:
    // Reads the keyword index: one entry a line, "keyword | target | title" (the title
    // may be left out); empty lines and lines starting with "#" are skipped. A line
    // without a keyword or a target is reported in errors (with its number) and skipped.
    void load(std::string_view text, std::vector<std::string>* errors = nullptr);

    const std::vector<HelpKeyword>& entries() const { return entries_; }

    // The entries matching what the user typed, best first. The comparison ignores
    // letter case, accents and repeated blanks. Keywords that start with the key come
    // first, then keywords with a later word that starts with it ("arrêt" finds
    // "Point d'arrêt"); each group in alphabetical order, the entries of one keyword in
    // the order of the index. An empty key gives every entry.
    std::vector<HelpKeyword> search(std::string_view key) const;

    // The first entry whose keyword is this word (compared as search compares), or none.
    const HelpKeyword* entryFor(std::string_view word) const;

    // True when several entries share this keyword (compared as search compares).
    bool isShared(const HelpKeyword& entry) const;

    // Lower case, accents removed (é -> e, œ -> oe, ...), blanks trimmed and collapsed.
    static std::string fold(std::string_view utf8);

private:
    std::vector<HelpKeyword> entries_;
};

// Reads the table of contents: one topic a line, "title | target", indented by two
// spaces per level. Errors as for HelpIndex::load.
std::vector<HelpTopic> parseHelpContents(std::string_view text, std::vector<std::string>* errors = nullptr);

// Splits "page.html#anchor" into its page and anchor (empty when there is none).
std::pair<std::string, std::string> splitHelpTarget(const std::string& target);

} // namespace zef
