// The reports of a grading: a table for the terminal, CSV for a spreadsheet, JUnit XML for
// CI servers and learning platforms, JSON lines (one run per line, so that the results of
// several machines merge by concatenation) and a self-contained French HTML page.
#pragma once

#include "grader.h"

#include <string>
#include <string_view>
#include <vector>

namespace zef {

// A number for a French reader: a comma before its `decimals` decimals ("0,478"). The
// machine formats (JSON, JUnit XML) keep the point their parsers expect.
std::string frenchDecimal(double value, int decimals);
// A duration for a French reader, to the millisecond: "0,478 s".
std::string frenchSeconds(double seconds);

// A case's input as a reader sees it: UTF-8, its lines (at most `maxLines`) joined by line
// feeds, then a line "…" when there is more.
std::string shownInput(const CaseResult& result, std::size_t maxLines);

// Text from others (names, outputs) as a terminal may show it: controls (ESC, CR, BEL, C1),
// DEL and the marks that reorder text are written out (\x1B, \r, \u202E), so that nothing
// can move the cursor, erase or disguise a line.
std::string terminalText(std::string_view text);

// One row per program: cases passed, score, the time its runs took, the first failure;
// then the class's totals.
std::string tableReport(const std::vector<ProgramResult>& results);
// The two forms of the CSV report; both have the same rows and columns.
enum class CsvForm : char {
    Spreadsheet, // what a spreadsheet in French opens as it is: ";" between cells, decimal
                 // comma, a UTF-8 byte-order mark
    Rfc4180,     // for scripts: "," between cells, decimal point, no byte-order mark
};
// One row per program (cases passed, cases, score, first failure), one column per case
// with its verdict, and last the time its runs took; quoted as RFC 4180 says, CR LF.
std::string csvReport(const std::vector<ProgramResult>& results, CsvForm form = CsvForm::Spreadsheet);
// One test suite per program, one test case per case.
std::string junitReport(const std::vector<ProgramResult>& results);
// One JSON object per run, one per line.
std::string jsonLinesReport(const std::vector<ProgramResult>& results);
// The class summary, then per program and case its parameters and input beside the
// expected and obtained outputs, side by side with the differing lines marked.
// Well-formed XML as well as HTML.
std::string htmlReport(const std::vector<ProgramResult>& results, bool exact);

} // namespace zef
