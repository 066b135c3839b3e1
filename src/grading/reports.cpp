#include "reports.h"

#include "text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

namespace zef {

namespace {

// Outputs are UTF-8 as zefrun writes them; an expected output compared exactly may still
// be Windows-1252, and is shown as such.
std::string asUtf8(std::string_view text) { return isValidUtf8(text) ? std::string(text) : cp1252ToUtf8(text); }

// Characters that would act on a terminal instead of showing: the C0 and C1 controls
// (ESC starts the sequences that move the cursor and erase), DEL, and the marks that
// reorder the text around them.
bool actsOnTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// Characters on a terminal, counted as code points.
std::size_t widthOf(std::string_view utf8) {
    return static_cast<std::size_t>(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string shortened(std::string_view utf8, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) continue;
        if (chars++ == maxChars) return std::string(utf8.substr(0, i)) + "…";
    }
    return std::string(utf8);
}

} // namespace

namespace {

// A number with a point before its decimals, whatever the C locale of the process says
// (the IDE's Qt sets it from the environment, and printf would then write a comma).
std::string decimalWithPoint(double value, int decimals) {
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

} // namespace

std::string frenchDecimal(double value, int decimals) {
    std::string out = decimalWithPoint(value, decimals);
    if (const std::size_t point = out.find('.'); point != std::string::npos) out[point] = ',';
    return out;
}

std::string frenchSeconds(double seconds) { return frenchDecimal(seconds, 3) + " s"; }

std::string shownInput(const CaseResult& result, std::size_t maxLines) {
    const std::vector<std::string> lines = splitLines(asUtf8(result.input));
    std::string out;
    for (std::size_t i = 0; i < std::min(lines.size(), maxLines); ++i) out += (i > 0 ? "\n" : "") + lines[i];
    if (lines.size() > maxLines || result.inputCut) out += out.empty() ? "…" : "\n…";
    return out;
}

std::string terminalText(std::string_view raw) {
    const std::string text = asUtf8(raw);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        char32_t c = 0;
        if (!decodeUtf8(text, i, c)) c = static_cast<unsigned char>(text[i++]); // asUtf8 leaves none
        if (!actsOnTerminal(c)) {
            out.append(text, start, i - start);
            continue;
        }
        char escaped[16];
        if (c == '\n') std::snprintf(escaped, sizeof escaped, "\\n");
        else if (c == '\r') std::snprintf(escaped, sizeof escaped, "\\r");
        else if (c == '\t') std::snprintf(escaped, sizeof escaped, "\\t");
        else if (c < 0x100) std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(c));
        else std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
        out += escaped;
    }
    return out;
}

namespace {

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > widthOf(text) ? width - widthOf(text) : 0, ' ');
}

// Text for XML and HTML: the five special characters as entities, and the control
// characters XML 1.0 forbids shown as their Unicode pictures (␇ for BEL). In an attribute
// the line ends and tabs become character references, so that a parser keeps them.
std::string xmlText(std::string_view raw, bool attribute = false) {
    const std::string text = asUtf8(raw);
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\n': out += attribute ? "&#10;" : "\n"; break;
        case '\r': out += attribute ? "&#13;" : "\r"; break;
        case '\t': out += attribute ? "&#9;" : "\t"; break;
        default:
            if (c < 0x20) {
                appendUtf8(out, 0x2400 + c); // U+2400..U+241F
            } else if (c == 0x7F) {
                out += "\xE2\x90\xA1"; // ␡
            } else {
                out += ch;
            }
        }
    }
    // U+FFFE and U+FFFF are no characters to XML either: the replacement character. In
    // valid UTF-8 their bytes stand for nothing else.
    for (const char* forbidden : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"})
        for (std::size_t at = out.find(forbidden); at != std::string::npos; at = out.find(forbidden, at + 3))
            out.replace(at, 3, "\xEF\xBF\xBD");
    return out;
}

std::string jsonString(std::string_view raw) {
    const std::string text = asUtf8(raw);
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string csvField(std::string_view raw, char separator) {
    std::string text = asUtf8(raw);
    // A cell that starts like a formula would be computed by a spreadsheet (and could
    // fetch or run things): an apostrophe first makes it text, as spreadsheets advise.
    if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) text.insert(0, "'");
    if (text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// Seconds for the machine formats, with a point.
std::string machineSeconds(double value) { return decimalWithPoint(value, 3); }

std::string firstFailureText(const ProgramResult& program) {
    const CaseResult* failure = program.firstFailure();
    return failure ? failure->caseName + " : " + verdictText(*failure) : std::string();
}

// The case names of all programs, in the order they first appear (programs graded on
// their own exercises may have different cases).
std::vector<std::string> allCaseNames(const std::vector<ProgramResult>& results) {
    std::vector<std::string> names;
    for (const ProgramResult& program : results)
        for (const CaseResult& result : program.cases)
            if (std::find(names.begin(), names.end(), result.caseName) == names.end()) names.push_back(result.caseName);
    return names;
}

std::string withoutPasExtension(const std::string& name) {
    return lowerAscii(name).ends_with(".pas") ? name.substr(0, name.size() - 4) : name;
}

} // namespace

std::string tableReport(const std::vector<ProgramResult>& results) {
    std::vector<std::vector<std::string>> rows{{"Programme", "Réussis", "Score", "Durée", "Premier échec"}};
    std::size_t runs = 0, passed = 0, programsPassed = 0;
    for (const ProgramResult& program : results) {
        const std::string failure = firstFailureText(program);
        // Names and outputs come from others: nothing of them may act on the terminal.
        rows.push_back({terminalText(program.name),
                        std::to_string(program.passed()) + "/" + std::to_string(program.cases.size()),
                        std::to_string(program.score()) + " %", frenchSeconds(program.seconds()),
                        failure.empty() ? std::string("—") : shortened(terminalText(failure), 100)});
        runs += program.cases.size();
        passed += program.passed();
        programsPassed += program.passed() == program.cases.size() ? 1 : 0;
    }
    std::vector<std::size_t> widths(5, 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], widthOf(row[i]));
    std::string out;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        // Numbers are right-aligned under their headings.
        std::string line = padded(row[0], widths[0]);
        for (std::size_t i = 1; i < 4; ++i) line += "  " + std::string(widths[i] - widthOf(row[i]), ' ') + row[i];
        out += line + "  " + row[4] + "\n";
        // The rule under the headings stops where a terminal line would.
        std::size_t ruled = 8;
        for (const std::size_t width : widths) ruled += width;
        if (r == 0) out += std::string(std::min<std::size_t>(ruled, 79), '-') + "\n";
    }
    out += std::to_string(results.size()) + (results.size() > 1 ? " programmes, " : " programme, ") +
           std::to_string(programsPassed) + " entièrement réussi" + (programsPassed > 1 ? "s" : "") + " ; " +
           std::to_string(passed) + "/" + std::to_string(runs) + " exécutions réussies\n";
    return out;
}

std::string csvReport(const std::vector<ProgramResult>& results, CsvForm form) {
    const bool spreadsheet = form == CsvForm::Spreadsheet;
    const char separator = spreadsheet ? ';' : ',';
    const std::string next(1, separator);
    auto field = [&](std::string_view text) { return csvField(text, separator); };
    const std::vector<std::string> caseNames = allCaseNames(results);
    // The byte-order mark is how a spreadsheet knows the file is UTF-8 (without it, the
    // accents of "Réussis" come out garbled).
    std::string out = spreadsheet ? "\xEF\xBB\xBF" : "";
    out += "Programme" + next + "Réussis" + next + "Essais" + next + "Score (%)" + next + "Premier échec";
    for (const std::string& name : caseNames) out += next + field(name);
    // The time comes last, so that the columns before it are where they always were.
    out += next + "Durée (s)\r\n";
    for (const ProgramResult& program : results) {
        out += field(program.name) + next + std::to_string(program.passed()) + next +
               std::to_string(program.cases.size()) + next + std::to_string(program.score()) + next +
               field(firstFailureText(program));
        for (const std::string& name : caseNames) {
            out += next;
            for (const CaseResult& result : program.cases)
                if (result.caseName == name) out += field(verdictText(result));
        }
        out += next + (spreadsheet ? frenchDecimal(program.seconds(), 3) : decimalWithPoint(program.seconds(), 3));
        out += "\r\n";
    }
    return out;
}

std::string junitReport(const std::vector<ProgramResult>& results) {
    // A failure of the program is a <failure>; a run that could not be done, an <error>.
    std::size_t tests = 0, failures = 0, errors = 0;
    double total = 0;
    std::string suites;
    for (const ProgramResult& program : results) {
        std::size_t suiteFailures = 0, suiteErrors = 0;
        double suiteTime = 0;
        std::string cases;
        std::string className = withoutPasExtension(program.name);
        std::replace(className.begin(), className.end(), '.', '_');
        for (const CaseResult& result : program.cases) {
            suiteTime += result.seconds;
            cases += "    <testcase name=\"" + xmlText(result.caseName, true) + "\" classname=\"" +
                     xmlText(className, true) + "\" time=\"" + machineSeconds(result.seconds) + "\"";
            if (result.passed()) {
                cases += "/>\n";
                continue;
            }
            const bool error = result.verdict == Verdict::NotRun;
            (error ? suiteErrors : suiteFailures) += 1;
            const char* element = error ? "error" : "failure";
            cases += ">\n      <" + std::string(element) + " type=\"" + verdictKey(result.verdict) +
                     "\" message=\"" + xmlText(verdictText(result), true) + "\">";
            cases += xmlText("Attendu :\n" + shortened(asUtf8(result.expected), 65536) + "\nObtenu :\n" +
                             shortened(asUtf8(result.obtained), 65536));
            cases += "</" + std::string(element) + ">\n    </testcase>\n";
        }
        suites += "  <testsuite name=\"" + xmlText(program.name, true) + "\" tests=\"" +
                  std::to_string(program.cases.size()) + "\" failures=\"" + std::to_string(suiteFailures) +
                  "\" errors=\"" + std::to_string(suiteErrors) + "\" skipped=\"0\" time=\"" +
                  machineSeconds(suiteTime) + "\">\n    <properties>\n      <property name=\"programme\" value=\"" +
                  xmlText(program.program.string(), true) + "\"/>\n      <property name=\"essais\" value=\"" +
                  xmlText(program.casesFolder.string(), true) + "\"/>\n    </properties>\n" + cases +
                  "  </testsuite>\n";
        tests += program.cases.size();
        failures += suiteFailures;
        errors += suiteErrors;
        total += suiteTime;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"zefcorrige\" tests=\"" +
           std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\" errors=\"" +
           std::to_string(errors) + "\" time=\"" + machineSeconds(total) + "\">\n" + suites + "</testsuites>\n";
}

std::string jsonLinesReport(const std::vector<ProgramResult>& results) {
    std::string out;
    for (const ProgramResult& program : results) {
        for (const CaseResult& result : program.cases) {
            out += "{\"programme\":" + jsonString(program.name) + ",\"chemin\":" +
                   jsonString(program.program.string()) + ",\"essais\":" + jsonString(program.casesFolder.string()) +
                   ",\"essai\":" + jsonString(result.caseName) + ",\"reussi\":" + (result.passed() ? "true" : "false") +
                   ",\"verdict\":" + jsonString(verdictName(result.verdict)) + ",\"cle\":" +
                   jsonString(verdictKey(result.verdict)) + ",\"texte\":" + jsonString(verdictText(result));
            if (result.verdict == Verdict::Error || result.verdict == Verdict::InputExhausted ||
                (result.verdict == Verdict::TooLong && result.line > 0))
                out += ",\"ligne\":" + std::to_string(result.line);
            if (result.verdict == Verdict::Error || result.verdict == Verdict::NotRun)
                out += ",\"message\":" + jsonString(result.message);
            if (result.verdict == Verdict::WrongOutput) {
                const Difference& d = result.difference;
                out += ",\"ligne\":" + std::to_string(d.line) + ",\"ligne_attendue\":" +
                       (d.expected ? jsonString(*d.expected) : std::string("null")) + ",\"ligne_obtenue\":" +
                       (d.obtained ? jsonString(*d.obtained) : std::string("null"));
            }
            out += ",\"duree_s\":" + machineSeconds(result.seconds) + "}\n";
        }
    }
    return out;
}

namespace {

constexpr std::size_t kShownLines = 400; // per output and case in the HTML page

const char* kStyle = R"(
body { font-family: sans-serif; margin: 2em; color: #222; }
h1 { font-size: 1.6em; } h2 { font-size: 1.25em; margin-top: 2em; border-bottom: 1px solid #ccc; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.2em 0.5em; text-align: left; vertical-align: top; }
th { background: #f0f0f0; }
td.nombre { text-align: right; }
.ok { color: #17692e; } .ko { color: #b3261e; }
details { margin: 0.4em 0; } summary { cursor: pointer; }
table.cote-a-cote { font-family: monospace; width: 100%; table-layout: fixed; }
table.cote-a-cote td { white-space: pre-wrap; overflow-wrap: anywhere; }
table.cote-a-cote td.num { width: 3.5em; text-align: right; color: #777; }
tr.diff td { background: #fff1f0; }
tr.premiere td { outline: 2px solid #b3261e; }
mark { background: #ffb4ab; }
.absent { color: #777; font-style: italic; }
pre.erreurs { background: #fff8e1; padding: 0.5em; }
div.essai { display: flex; gap: 1em; align-items: flex-start; }
div.donnees { flex: 0 0 22%; min-width: 8em; } div.sorties { flex: 1 1 auto; min-width: 0; }
div.donnees p { margin: 0.2em 0; }
pre.entree { background: #f5f5f5; padding: 0.4em; margin: 0; white-space: pre-wrap; overflow-wrap: anywhere; }
)";

std::string escapeHtml(std::string_view text) { return xmlText(text); }

// One cell of a differing line: the part both lines share, then the rest marked.
std::string markedCell(const std::string& line, const std::string& other) {
    std::size_t common = 0;
    while (common < line.size() && common < other.size() && line[common] == other[common]) ++common;
    // Not inside a character: back to its first byte.
    while (common > 0 && (static_cast<unsigned char>(line[common]) & 0xC0) == 0x80) --common;
    if (common == line.size()) return escapeHtml(line);
    return escapeHtml(line.substr(0, common)) + "<mark>" + escapeHtml(line.substr(common)) + "</mark>";
}

std::string sideBySide(const CaseResult& result, bool exact) {
    const std::vector<std::string> want = comparedLines(result.expected, exact);
    const std::vector<std::string> got = comparedLines(result.obtained, exact);
    const std::size_t count = std::max(want.size(), got.size());
    const int first = result.verdict == Verdict::WrongOutput ? result.difference.line : 0;
    std::string out = "<table class=\"cote-a-cote\"><thead><tr><th class=\"num\">Ligne</th><th>Attendu</th>"
                      "<th>Obtenu</th></tr></thead><tbody>\n";
    for (std::size_t i = 0; i < std::min(count, kShownLines); ++i) {
        const bool haveWant = i < want.size(), haveGot = i < got.size();
        const bool differs = !haveWant || !haveGot || want[i] != got[i];
        std::string classes = differs ? "diff" : "";
        if (static_cast<int>(i) + 1 == first) classes += " premiere";
        out += classes.empty() ? std::string("<tr>") : "<tr class=\"" + classes + "\">";
        out += "<td class=\"num\">" + std::to_string(i + 1) + "</td>";
        auto cell = [&](bool have, const std::vector<std::string>& lines, const std::vector<std::string>& others) {
            if (!have) return std::string("<td class=\"absent\">(fin de la sortie)</td>");
            const bool otherHas = i < others.size();
            return "<td>" + (differs && otherHas ? markedCell(lines[i], others[i]) : escapeHtml(lines[i])) + "</td>";
        };
        out += cell(haveWant, want, got) + cell(haveGot, got, want) + "</tr>\n";
    }
    if (count > kShownLines)
        out += "<tr><td class=\"num\"></td><td colspan=\"2\" class=\"absent\">… " +
               std::to_string(count - kShownLines) + " lignes de plus</td></tr>\n";
    out += "</tbody></table>\n";
    return out;
}

// What the case gave the run, beside its outputs: its parameters and its input.
std::string caseData(const CaseResult& result) {
    std::string out = "<div class=\"donnees\">";
    out += result.arguments.empty() ? std::string("<p class=\"absent\">Paramètres : aucun</p>")
                                    : "<p>Paramètres : <code>" + escapeHtml(result.arguments) + "</code></p>";
    if (result.input.empty() && !result.inputCut)
        out += "<p class=\"absent\">Entrée : vide</p>";
    else
        out += "<p>Entrée :</p><pre class=\"entree\">" + escapeHtml(shownInput(result, kShownLines)) + "</pre>";
    return out + "</div>";
}

} // namespace

std::string htmlReport(const std::vector<ProgramResult>& results, bool exact) {
    std::size_t runs = 0, passed = 0;
    int scores = 0;
    for (const ProgramResult& program : results) {
        runs += program.cases.size();
        passed += program.passed();
        scores += program.score();
    }
    std::string out = "<!DOCTYPE html>\n<html lang=\"fr\" xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                      "<meta charset=\"utf-8\"/>\n<title>Correction des essais</title>\n<style>" +
                      std::string(kStyle) + "</style>\n</head>\n<body>\n<h1>Correction des essais</h1>\n";
    out += "<p>" + std::to_string(results.size()) + (results.size() > 1 ? " programmes" : " programme") + ", " +
           std::to_string(passed) + " exécutions réussies sur " + std::to_string(runs);
    if (!results.empty())
        out += " ; score moyen : " + std::to_string(scores / static_cast<int>(results.size())) + " %";
    out += ". Comparaison " +
           std::string(exact ? "exacte, octet par octet." :
                               "sans tenir compte des fins de ligne, des espaces en fin de ligne ni des lignes "
                               "vides à la fin.") + "</p>\n";
    out += "<h2>Résumé de la classe</h2>\n<table class=\"resume\"><thead><tr><th>Programme</th><th>Réussis</th>"
           "<th>Score</th><th>Durée</th><th>Premier échec</th></tr></thead><tbody>\n";
    for (std::size_t p = 0; p < results.size(); ++p) {
        const ProgramResult& program = results[p];
        const std::string failure = firstFailureText(program);
        out += "<tr><td><a href=\"#programme-" + std::to_string(p + 1) + "\">" + escapeHtml(program.name) +
               "</a></td><td class=\"nombre\">" + std::to_string(program.passed()) + "/" +
               std::to_string(program.cases.size()) + "</td><td class=\"nombre\">" + std::to_string(program.score()) +
               " %</td><td class=\"nombre\">" + frenchSeconds(program.seconds()) + "</td><td" +
               (failure.empty() ? " class=\"ok\">—" : " class=\"ko\">" + escapeHtml(failure)) + "</td></tr>\n";
    }
    out += "</tbody></table>\n";
    for (std::size_t p = 0; p < results.size(); ++p) {
        const ProgramResult& program = results[p];
        out += "<section id=\"programme-" + std::to_string(p + 1) + "\">\n<h2>" + escapeHtml(program.name) + " : " +
               std::to_string(program.passed()) + "/" + std::to_string(program.cases.size()) + " (" +
               std::to_string(program.score()) + " %)</h2>\n";
        out += "<p>Programme : " + escapeHtml(program.program.string()) + " — essais : " +
               escapeHtml(program.casesFolder.string()) + "</p>\n";
        for (const CaseResult& result : program.cases) {
            const bool ok = result.passed();
            out += std::string("<details") + (ok ? "" : " open=\"open\"") + "><summary><span class=\"" +
                   (ok ? "ok\">✓" : "ko\">✗") + "</span> " + escapeHtml(result.caseName) + " : " +
                   escapeHtml(verdictText(result)) + " <span class=\"absent\">(" + frenchSeconds(result.seconds) +
                   ")</span></summary>\n";
            out += "<div class=\"essai\">" + caseData(result) + "<div class=\"sorties\">" + sideBySide(result, exact) +
                   "</div></div>\n</details>\n";
        }
        out += "</section>\n";
    }
    out += "</body>\n</html>\n";
    return out;
}

} // namespace zef
