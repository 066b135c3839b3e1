#include "fragments.h"

#include "editorrules.h"

#include <algorithm>
#include <array>

namespace zef::generators {
namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string condition(const Condition& c) {
    std::string text(c.operand1);
    text += OperatorText(c.op);
    text += c.operand2;
    return text;
}

bool complete(const Condition& c) { return missingInCondition(c).empty(); }

// An empty block: "begin", the line the learner fills in, and the closing word.
std::string block(std::string_view closing) {
    std::string text("begin");
    text += kCrLf;
    text += kCrLf;
    text += closing;
    return text;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

} // namespace

std::string missingInCondition(const Condition& c) {
    if (c.operand1.empty()) return "Indiquez l'opérande 1 de la condition.";
    if (OperatorText(c.op).empty()) return "Choisissez un opérateur (=, <, >, <=, >= ou <>).";
    return {};
}

std::string_view OperatorText(int op) {
    static constexpr std::array<std::string_view, 6> kOperators = {"=", "<", ">", "<=", ">=", "<>"};
    if (op < 0 || op >= static_cast<int>(kOperators.size())) return {};
    return kOperators[static_cast<std::size_t>(op)];
}

std::string ForFragment(std::string_view counter, std::string_view start, std::string_view end) {
    if (counter.empty()) return {};
    std::string text("For ");
    text.append(counter).append(":=").append(start).append(" to ").append(end).append(" do");
    return text + std::string(kCrLf) + block("end;");
}

std::string WhileFragment(const Condition& c) {
    if (!complete(c)) return {};
    // A WHILE loop is closed by the line after its body: the fragment brings that line, or
    // the learner's next statement would close the loop and never run.
    return "While " + condition(c) + " do" + std::string(kCrLf) + block("end;") + std::string(kCrLf) + "wend;";
}

std::string RepeatFragment(const Condition& c) {
    if (!complete(c)) return {};
    return "Repeat\r\n\r\nUntil " + condition(c);
}

std::string IfFragment(const Condition& c, bool withElse) {
    if (!complete(c)) return {};
    // No ";" after the first block's "end" when an ELSE follows it.
    std::string text = "If " + condition(c) + " then" + std::string(kCrLf) + block("end");
    if (withElse) text += std::string(kCrLf) + "else" + std::string(kCrLf) + block("end");
    return text + ";";
}

std::string FileFragment(std::string_view fileVariable, std::string_view fileName, FileMode mode) {
    if (mode == FileMode::None) return {};
    const std::string var(fileVariable);
    std::string text = "Assign(" + var + "," + std::string(fileName) + ");" + std::string(kCrLf);
    text += (mode == FileMode::Read ? "Reset(" : "Rewrite(") + var + ");" + std::string(kCrLf);
    // The empty line is where the learner's reading or writing statements go.
    return text + std::string(kCrLf) + "Close(" + var + ");";
}

std::vector<std::string> KeywordListEntries() {
    std::vector<std::string> words = EditorVocabulary();
    std::stable_sort(words.begin(), words.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return upperAscii(x) < upperAscii(y); });
    });
    return words;
}

std::string StripLeadingBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::vector<std::string> ProcedureHeadings(const std::vector<std::string>& lines) {
    static constexpr std::string_view kWord = "PROCEDURE";
    std::vector<std::string> headings;
    for (const std::string& line : lines) {
        std::string s = StripLeadingBlanks(line);
        // A prefix test only: whatever follows the nine letters, the line is listed.
        if (s.size() < kWord.size()) continue;
        if (std::equal(kWord.begin(), kWord.end(), s.begin(),
                       [](char w, char c) { return w == upperAscii(c); }))
            headings.push_back(std::move(s));
    }
    return headings;
}

} // namespace zef::generators
