// The reports of a grading: a table for the terminal, CSV for a spreadsheet, JUnit XML for
// CI servers and learning platforms, JSON lines (one run per line, so that the results of
// several machines merge by concatenation) and a self-contained French HTML page.
#pragma once

#include "grader.h"

#include <string>
#include <string_view>
#include <vector>

namespace zef {

// Text from others (names, outputs) as a terminal may show it: controls (ESC, CR, BEL, C1),
// DEL and the marks that reorder text are written out (\x1B, \r, \u202E), so that nothing
// can move the cursor, erase or disguise a line.
std::string terminalText(std::string_view text);

// One row per program: cases passed, score, the first failure; then the class's totals.
std::string tableReport(const std::vector<ProgramResult>& results);
// One row per program, then one column per case with its verdict (RFC 4180, CR LF).
std::string csvReport(const std::vector<ProgramResult>& results);
// One test suite per program, one test case per case.
std::string junitReport(const std::vector<ProgramResult>& results);
// One JSON object per run, one per line.
std::string jsonLinesReport(const std::vector<ProgramResult>& results);
// The class summary, then per program and case the expected and obtained outputs side by
// side with the differing lines marked. Well-formed XML as well as HTML.
std::string htmlReport(const std::vector<ProgramResult>& results, bool exact);

} // namespace zef
