// The statement fragments the generator dialogs write into a program, and the two pick
// lists' contents. Plain functions of the fields as typed: nothing is trimmed, re-cased or
// spaced beyond what each template holds, and lines are joined by CR LF. Texts are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zef::generators {

// The fields shared by the WHILE, REPEAT and IF dialogs. `op` is the index of the chosen
// comparison (0 "=", 1 "<", 2 ">", 3 "<=", 4 ">=", 5 "<>"), -1 when none is chosen.
struct Condition {
    std::string operand1;
    int op = -1;
    std::string operand2;
};

// The operator written for a choice, empty for no choice.
std::string_view OperatorText(int op);

// Each builder returns the empty text when a required field is missing: the counter for
// FOR, the operator or the first operand for WHILE, REPEAT and IF, the mode for the file.
std::string ForFragment(std::string_view counter, std::string_view start, std::string_view end);
// What a condition lacks before it can be written, in French for the dialog; empty when it
// is complete (the second operand may be left empty).
std::string missingInCondition(const Condition& c);
std::string WhileFragment(const Condition& c);
std::string RepeatFragment(const Condition& c);
std::string IfFragment(const Condition& c, bool withElse);

enum class FileMode { None = -1, Read = 0, Write = 1 };
std::string FileFragment(std::string_view fileVariable, std::string_view fileName, FileMode mode);

// What "Impression" inserts: the printer opened for writing.
inline constexpr std::string_view kPrinterFragment = "AssignPrn(Prn);\r\nRewrite(Prn);\r\n";

// The keyword list's entries in the order shown: sorted without regard to case.
std::vector<std::string> KeywordListEntries();

// The text without its leading blanks and tab characters.
std::string StripLeadingBlanks(std::string_view text);

// The procedure headings of a program, in text order: every line whose first nine
// characters after its indentation read PROCEDURE in any case, without that indentation.
std::vector<std::string> ProcedureHeadings(const std::vector<std::string>& lines);

} // namespace zef::generators
