// The fast forms against the general forms: the same programs run by two interpreters, one
// with its fast forms and one without (every statement then evaluated from its line's
// reading alone), must leave the same transcript after every call
// of the driver (screen, messages, status, line, stacks, statement count, every store
// slot, the files written). Programs: the robustness test's random ones, typed loop
// programs, the examples and every case program; runs: fresh, continued, single-stepped,
// and single-stepped with lines edited and breakpoint markers toggled between the steps.
// ZEF_DIFFERENTIAL_ROUNDS multiplies the number of random programs (the long pass).
#include "recording_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>

std::vector<std::string> robustnessProgram(std::mt19937& rng);
const std::vector<std::string>& robustnessStatements();

using namespace zef;
using namespace zef::testing;
namespace fs = std::filesystem;

namespace {

int rounds() {
    const char* v = std::getenv("ZEF_DIFFERENTIAL_ROUNDS");
    return v && std::atoi(v) > 0 ? std::atoi(v) : 1;
}

// The random choices of the program generators below.
struct Choices {
    std::mt19937& rng;
    std::string pick(const std::vector<std::string>& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
    }
    bool chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }
    // A body: a BEGIN ... END block, or one statement.
    void body(std::vector<std::string>& lines, const std::function<void()>& block,
              const std::function<std::string()>& statement) {
        if (chance(30)) {
            lines.push_back("BEGIN");
            block();
            lines.push_back("END;");
        } else {
            lines.push_back("  " + statement());
        }
    }
};

// Typed programs whose statements mostly run: the shapes the fast path decodes, beside
// near misses (an element out of range, a division by zero, a real near a tie).
std::vector<std::string> typedProgram(std::mt19937& rng) {
    Choices c{rng};
    const std::vector<std::string> ints = {
        "I",    "J", "K",  "N", "T[1]",       "T[I]",      "T[J]",
        "T[6]", "3", "-2", "0", "2147483647", "LENGTH(S)", "LENGTH(TS[I])"};
    const std::vector<std::string> reals = {"X",   "Y", "TR[1]", "TR[I]", "1,5",
                                            "0,1", "3", "1E38",  "0"};
    const std::vector<std::string> strings = {"S",           "U",      "TS[1]",       "TS[J]",
                                              "'ab'",        "'x''y'", "COPY(S,2,3)", "COPY(U,I,J)",
                                              "COPY(S,0,N)", "C"};
    const std::vector<std::string> compared = {
        "I",     "J",   "N",   "T[I]",
        "X",     "Y",   "S",   "C",
        "3",     "1.5", "0,1", "'ab'",
        "TR[J]", "10",  "-1",  "0.33333333333348495"}; // between 1/3 and its text
    auto statement = [&]() -> std::string {
        switch (std::uniform_int_distribution<int>(0, 6)(rng)) {
        case 0:
        case 1:
            return c.pick({"I", "J", "K", "N", "T[I]", "T[J]", "T[0]"}) + " := " + c.pick(ints) +
                   c.pick({"", " + ", " - ", " * ", " \\ ", " MOD ", " / "}) + c.pick(ints) + ";";
        case 2:
            return c.pick({"X", "Y", "TR[1]", "TR[I]"}) + " := " + c.pick(reals) +
                   c.pick({"", " + ", " - ", " * ", " / "}) + c.pick(reals) + ";";
        case 3:
            return c.pick({"S", "U", "TS[I]", "C"}) + " := " + c.pick(strings) +
                   (c.chance(50) ? " + " + c.pick(strings) : "") + ";";
        case 4:
            return c.pick({"WRITELN(I);", "WRITE(X);", "WRITELN(S);", "WRITE(T[J]);", "P;", "Q;"});
        case 5:
            return c.pick({"I := I + 1;", "J := J - 1;", "X := X * 1,5;", "S := S + 'z';"});
        default:
            return c.pick(robustnessStatements());
        }
    };
    auto condition = [&]() {
        return c.pick(compared) + c.pick({" = ", " <> ", " < ", " > ", " <= ", " >= "}) +
               c.pick(compared);
    };
    std::vector<std::string> lines = {"PROGRAM Boucles;",
                                      "VAR I, J, K, N: INTEGER;",
                                      "VAR X, Y: REAL;",
                                      "VAR S, U: STRING;",
                                      "VAR C: CHAR;",
                                      "VAR T: ARRAY[5] OF INTEGER;",
                                      "VAR TR: ARRAY[3] OF REAL;",
                                      "VAR TS: ARRAY[3] OF STRING;",
                                      "PROCEDURE P;",
                                      "  N := N + 1;",
                                      "PROCEDURE Q;",
                                      "BEGIN",
                                      "  " + statement(),
                                      "  IF N > 3 THEN",
                                      "  EXIT;",
                                      "  N := N + 2;",
                                      "END;",
                                      "BEGIN",
                                      "  I := 1;",
                                      "  J := 2;",
                                      "  S := 'abcdef';",
                                      "  X := 1 / 3;"};
    std::function<void(int)> block = [&](int depth) {
        const int n = std::uniform_int_distribution<int>(1, 5)(rng);
        for (int k = 0; k < n; ++k) {
            const int shape = depth > 2 ? 0 : std::uniform_int_distribution<int>(0, 7)(rng);
            switch (shape) {
            case 1:
                lines.push_back("FOR " + c.pick({"I", "K", "N"}) + ":=" + c.pick({"1", "J", "3"}) +
                                c.pick({" TO ", " DOWNTO "}) + c.pick({"4", "1", "K"}) + " DO");
                break;
            case 2:
                lines.push_back("WHILE " + condition() + " DO");
                lines.push_back("BEGIN");
                block(depth + 1);
                lines.push_back("  " + c.pick({"I := I + 1;", "J := J + 1;", "X := X + 1;"}));
                lines.push_back("END;");
                lines.push_back("WEND;");
                continue;
            case 3:
                lines.push_back("REPEAT");
                block(depth + 1);
                lines.push_back("  K := K + 1;");
                lines.push_back("UNTIL " + condition() + ";");
                continue;
            case 4:
                lines.push_back("IF " + condition() + " THEN");
                if (c.chance(50)) {
                    lines.push_back("  " + statement());
                    continue;
                }
                lines.push_back("  " + dropTrailing(statement(), ';'));
                lines.push_back("ELSE");
                break;
            case 5:
                lines.push_back("IF " + condition() + " THEN");
                lines.push_back("BEGIN");
                block(depth + 1);
                lines.push_back(c.chance(50) ? "END;" : "END");
                if (lines.back() == "END;") continue;
                lines.push_back("ELSE");
                break;
            case 6:
                lines.push_back(c.pick({"Ici:", "GOTO Ici;", "BREAK;", "P;"}));
                continue;
            default:
                break;
            }
            c.body(lines, [&] { block(depth + 1); }, statement);
        }
    };
    block(0);
    lines.push_back("END.");
    return lines;
}

// Programs as learners write them: the built-in functions, READ and WRITE on the screen, a
// file written and read back to its end, FOR headings of every kind; beside their near
// misses (the square root of a negative number, VAL of a word, ORD of an empty text, a file
// that is not open, a literal the text path reads on its own).
std::vector<std::string> learnerProgram(std::mt19937& rng) {
    Choices c{rng};
    const std::vector<std::string> anything = {"I", "K", "N", "T[J]", "T[K]", "X", "TR[I]", "S",
                                               "U", "TS[J]", "C", "3", "'7'", "-2"};
    const std::vector<std::string> texts = {"S", "U", "TS[I]", "TS[K]", "'b'", "'x,y'", "'A''b'"};
    auto statement = [&]() -> std::string {
        switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
        case 0:
            return c.pick({"K", "N", "T[I]"}) + " := " + c.pick({"ABS(", "INT(", "ORD(", "VAL("}) +
                   c.pick(anything) + ")" + (c.chance(40) ? c.pick({" + ", " MOD ", " * "}) + c.pick({"I", "7"}) : "") + ";";
        case 1:
            return c.pick({"K", "N"}) + " := " +
                   (c.chance(50) ? "POS(" + c.pick(texts) + "," + c.pick(texts) + ")" : "LENGTH(" + c.pick(texts) + ")") +
                   (c.chance(30) ? " - 1" : "") + ";";
        case 2:
            return c.pick({"X", "Y", "TR[I]", "TR[K]"}) + " := " +
                   c.pick({"SQRT(", "ABS(", "SIN(", "COS(", "LN(", "EXP("}) +
                   c.pick({"X", "Y", "I", "K", "TR[J]", "S", "2", "T[I]"}) + ")" +
                   (c.chance(40) ? c.pick({" * ", " + ", " / "}) + c.pick({"X", "2"}) : "") + ";";
        case 3: {
            const std::string function = c.pick({"INTTOSTR(", "CHR(", "INTTOHEX(", "UPPERCASE(", "LOWERCASE("});
            const std::string argument = function == "UPPERCASE(" || function == "LOWERCASE("
                                             ? c.pick(texts)
                                             : c.pick({"I", "K", "X", "TR[J]", "S", "T[K]", "65", "N"});
            return c.pick({"S", "U", "TS[I]", "C"}) + " := " + function + argument + ")" +
                   (c.chance(40) ? " + " + c.pick(texts) : "") + ";";
        }
        case 4:
            return c.pick({"WRITE(", "WRITELN("}) +
                   c.pick({"I", "X", "S", "C", "T[K]", "TR[I]", "TS[I]", "'a,b'", "12", "1.5x", "N "}) + ");";
        case 5:
            return c.pick({"READ(", "READLN("}) + c.pick({"K", "X", "S", "C", "N", "T", "TS[1]"}) + ");";
        case 6:
            return c.pick({"WRITELN(F,", "WRITE(F,", "WRITELN(G,", "WRITELN(F, "}) +
                   c.pick({"I", "X", "S", "T[K]", "'a,b'", "C"}) + ");";
        case 7:
            return c.pick({"READLN(F,", "READ(F,", "READLN(F, "}) + c.pick({"S", "K", "X", "C", "U"}) + ");";
        case 8:
            return c.pick({"REWRITE(F);", "RESET(F);", "CLOSE(F);", "WRITELN;", "READLN;", "WRITELN();"});
        default:
            return c.pick({"I := I + 1;", "K := K - 1;", "N := N + 2;", "S := S + 'z';"});
        }
    };
    std::vector<std::string> lines = {"PROGRAM Eleve;",
                                      "VAR I, J, K, N: INTEGER;",
                                      "VAR X, Y: REAL;",
                                      "VAR S, U: STRING;",
                                      "VAR C: CHAR;",
                                      "VAR T: ARRAY[5] OF INTEGER;",
                                      "VAR TR: ARRAY[3] OF REAL;",
                                      "VAR TS: ARRAY[3] OF STRING;",
                                      "VAR F, G: TEXTFILE;",
                                      "BEGIN",
                                      "  I := 1;",
                                      "  J := 2;",
                                      "  K := " + c.pick({"3", "-4", "0"}) + ";",
                                      "  X := " + c.pick({"2,25", "0", "-1,5", "1E30"}) + ";",
                                      "  S := " + c.pick({"'abc'", "'42'", "''", "'x,y'"}) + ";",
                                      "  U := '12';",
                                      "  C := '7';",
                                      "  ASSIGN(F,'eleve.txt');",
                                      "  REWRITE(F);"};
    std::function<void(int)> block = [&](int depth) {
        const int n = std::uniform_int_distribution<int>(1, 5)(rng);
        for (int k = 0; k < n; ++k) {
            switch (depth > 1 ? 0 : std::uniform_int_distribution<int>(0, 5)(rng)) {
            case 1:
                lines.push_back("FOR " + c.pick({"I", "N", "J"}) + ":=" + c.pick({"1", "J", "T[K]", "-2", "K", "X"}) +
                                c.pick({" TO ", " DOWNTO "}) + c.pick({"3", "K", "T[J]", "0", "N"}) + " DO");
                break;
            case 2:
                lines.push_back(c.pick({"WHILE NOT EOF(F) DO", "WHILE NOT EOF(G) DO", "WHILE K < 6 DO"}));
                lines.push_back("BEGIN");
                block(depth + 1);
                lines.push_back("  " + c.pick({"READLN(F,S);", "K := K + 1;", "READLN(F,U);"}));
                lines.push_back("END;");
                lines.push_back("WEND;");
                continue;
            case 3:
                lines.push_back(c.pick({"IF EOF(F) THEN", "IF NOT EOF(F) THEN", "IF K > 2 THEN"}));
                lines.push_back("  " + statement());
                continue;
            default:
                break;
            }
            c.body(lines, [&] { block(depth + 1); }, statement);
        }
    };
    block(0);
    lines.push_back("  CLOSE(F);");
    lines.push_back("  RESET(F);");
    block(0);
    lines.push_back("END.");
    return lines;
}

// The programs of the case files and the examples, with their input and parameters.
struct Program {
    Program(std::string name, std::vector<std::string> lines = {})
        : name(std::move(name)), lines(std::move(lines)) {}
    std::string name;
    std::vector<std::string> lines;
    std::deque<std::string> input;
    std::string arguments, locale = "fr_FR";
};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<Program> casePrograms() {
    std::vector<Program> programs;
    for (const auto& entry : fs::directory_iterator(ZEF_EXAMPLES_DIR)) {
        // The examples' programs only: an exercise's folder of cases stands beside its program.
        if (!entry.is_regular_file() || entry.path().extension() != ".pas") continue;
        programs.emplace_back(entry.path().filename().string(),
                              splitLines(decodeFileText(readFile(entry.path()))));
    }
    for (const auto& entry : fs::directory_iterator(ZEF_CASES_DIR)) {
        Program p(entry.path().filename().string());
        std::istringstream in(readFile(entry.path()));
        std::string line, section, program;
        while (std::getline(in, line)) {
            if (startsWith(line, "=== ")) {
                section = line.substr(4);
                if (startsWith(section, "example "))
                    program = readFile(fs::path(ZEF_EXAMPLES_DIR) / section.substr(8));
                if (startsWith(section, "args ")) p.arguments = section.substr(5);
                if (startsWith(section, "locale ")) p.locale = section.substr(7);
                continue;
            }
            if (section == "program") program += line + "\n";
            if (section == "stdin") p.input.push_back(utf8ToCp1252(line));
        }
        p.lines = splitLines(decodeFileText(program));
        programs.push_back(std::move(p));
    }
    return programs;
}

// One interpreter, fast or not, in a directory of its own.
struct Side {
    Side(const Program& p, bool fast, const fs::path& dir) : dir(dir) {
        fs::create_directories(dir);
        h.platform.regional = RegionalSettings::forLocale(p.locale);
        h.interpreter = std::make_unique<Interpreter>(h.platform);
        h.interpreter->InitPrg("TEST.PAS");
        h.interpreter->setFastForms(fast);
        h.interpreter->setRunArguments(p.arguments);
        h.lines.lines = p.lines;
        h.screen.input = p.input;
        h.poll.stopAfter = 40;
    }

    // Runs the driver once and describes everything it can have changed.
    std::string call(std::int32_t from, bool step) {
        fs::current_path(dir);
        std::ostringstream t;
        const std::size_t shown = h.messages.messages.size();
        bool abandoned = false;
        try {
            t << "status " << h.exec(from, step);
        } catch (const RunAbandoned& e) {
            t << "abandoned " << e.what();
            abandoned = true;
        }
        const Interpreter& in = *h.interpreter;
        // A stop on an error says why: by a message, or else by the reason the interpreter
        // keeps for it, which no other end leaves.
        const bool silent = !abandoned && in.stoppedOnError() && h.messages.messages.size() == shown;
        if (silent == in.stopReason().empty()) unexplained.push_back(std::to_string(h.line) + ": " + in.stopReason());
        t << " line " << h.line << " current " << in.currentLine() << " error "
          << in.stoppedOnError() << " count " << in.statementsRun() << " polls " << h.poll.calls
          << " begin " << in.beginDepth() << " cursor " << in.cursorX() << "," << in.cursorY()
          << "\nvalues";
        for (int i = 1; i <= in.valueTop(); ++i)
            t << " " << in.valueAt(i);
        t << "\nblocks";
        for (int i = 1; i <= in.blockTop(); ++i)
            t << " " << in.blockAt(i).ResumeLine << closingWord(in.blockAt(i).Terminator);
        t << "\nscreen " << h.screen.text() << "clears " << h.screen.clears << " shown";
        for (const auto& s : h.screen.shown)
            t << " " << s;
        t << "\nmessages";
        for (const auto& m : h.messages.messages)
            t << " " << m;
        t << "\nslots";
        for (const auto& s : in.symbols()) {
            for (std::int32_t k = 0;
                 holdsValue(s.Kind) && k < s.Count; ++k) {
                const SlotValue v = in.LitValeur(s.Index + k, s.Kind);
                t << " " << v.c << v.i << "/" << v.r.toDouble() << "/" << v.s;
            }
        }
        t << "\nfiles";
        // In the order of their names: a folder lists its entries in an order of its own.
        std::vector<std::string> files;
        for (const auto& f : fs::recursive_directory_iterator(dir))
            files.push_back(f.path().lexically_relative(dir).string() +
                            (f.is_regular_file() ? "=" + readFile(f.path()) : ""));
        std::sort(files.begin(), files.end());
        for (const auto& f : files) t << " " << f;
        return t.str();
    }

    Harness h;
    fs::path dir;
    std::vector<std::string> unexplained; // stops without a reason, or a reason besides a message
};

struct Totals {
    long programs = 0, calls = 0, edits = 0;
};

class Differential : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "zef-differential-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(root_, ec);
        std::printf("%ld programs, %ld calls of the driver, %ld edits: no difference\n",
                    totals_.programs, totals_.calls, totals_.edits);
    }

    // Runs one program fresh and continued, single-stepped, and single-stepped with edits
    // between the steps, on both sides.
    void compare(const Program& p, std::mt19937& rng) {
        ++totals_.programs;
        for (const int mode : {0, 1, 2}) {
            const bool stepping = mode > 0;
            std::mt19937* edits = mode == 2 ? &rng : nullptr;
            const std::string where = p.name + (mode == 0   ? " run"
                                                : mode == 1 ? " stepped"
                                                            : " edited");
            fs::remove_all(root_ / "fast");
            fs::remove_all(root_ / "text");
            Side fast(p, true, root_ / "fast"), text(p, false, root_ / "text");
            std::int32_t from = 0;
            for (int call = 0; call < (stepping ? 300 : 3); ++call) {
                const std::string a = fast.call(from, stepping), b = text.call(from, stepping);
                ++totals_.calls;
                ASSERT_EQ(a, b) << where << ", call " << call << "\n"
                                << listing(text.h.lines.lines);
                if (startsWith(a, "abandoned") || startsWith(a, "status 0") ||
                    fast.h.line >= fast.h.lines.count())
                    break;
                from = fast.h.line;
                if (stepping && edits) edit(*edits, fast, text);
            }
        }
    }

    // The same random edit on both sides: a line replaced, or its breakpoint marker toggled.
    void edit(std::mt19937& rng, Side& a, Side& b) {
        auto& lines = a.h.lines.lines;
        if (lines.empty() || std::uniform_int_distribution<int>(0, 2)(rng) != 0) return;
        ++totals_.edits;
        const auto at = std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(rng);
        std::string& line = lines[at];
        if (std::uniform_int_distribution<int>(0, 1)(rng) == 0) {
            if (!line.empty() && static_cast<unsigned char>(line[0]) == 0xBB)
                line.erase(0, 1);
            else
                line.insert(0, "\xbb");
        } else {
            const auto& fragments = robustnessStatements();
            line =
                fragments[std::uniform_int_distribution<std::size_t>(0, fragments.size() - 1)(rng)];
        }
        b.h.lines.lines = lines;
    }

    static std::string listing(const std::vector<std::string>& lines) {
        std::string s;
        for (std::size_t i = 0; i < lines.size(); ++i)
            s += std::to_string(i) + ": " + lines[i] + "\n";
        return s;
    }

    fs::path previous_, root_;
    Totals totals_;
};

} // namespace

TEST_F(Differential, CaseProgramsAndExamples) {
    std::mt19937 rng(5);
    for (const Program& p : casePrograms()) {
        compare(p, rng);
        if (HasFailure()) return;
    }
}

TEST_F(Differential, RandomAndTypedPrograms) {
    for (int round = 0; round < rounds(); ++round) {
        std::mt19937 rng(1000 + static_cast<unsigned>(round));
        for (int n = 0; n < 40; ++n) {
            Program random{"random " + std::to_string(round) + "/" + std::to_string(n),
                           robustnessProgram(rng)};
            random.input = {"12", "abc", "3,5"};
            Program typed{"typed " + std::to_string(round) + "/" + std::to_string(n),
                          typedProgram(rng)};
            typed.locale = n % 4 == 3 ? "en_US" : "fr_FR";
            Program learner{"learner " + std::to_string(round) + "/" + std::to_string(n),
                            learnerProgram(rng)};
            learner.input = {"12", "abc", "3,5", "", "-7"};
            learner.locale = n % 4 == 1 ? "en_US" : "fr_FR";
            for (Program* p : {&random, &typed, &learner}) {
                compare(*p, rng);
                if (HasFailure()) return;
            }
        }
    }
}

// The statements the fast path hands back to the text path: a real compared near its
// reading, an element outside its array, a division by zero, a result too large, stacks
// that overflow, an END without BEGIN; and a loop without end, stopped by the poll.
TEST_F(Differential, HandedBackStatements) {
    const std::vector<std::string> body = {"X := 1 / 3;",
                                           "IF X < 0.33333333333348495 THEN",
                                           "WRITELN(1)",
                                           "ELSE",
                                           "WRITELN(2);",
                                           "IF X >= 0.33333333333348495 THEN",
                                           "WRITELN(3);",
                                           // RANDOM's form, and the text path's where the
                                           // generator must not move twice.
                                           "X := RANDOM * X;",
                                           "X := X - RANDOM;",
                                           "X := RANDOM / 2;",
                                           "X := X + I;",
                                           "WRITELN(X);",
                                           "S := PARAMSTR(0) + DATETOSTR(DATE);",
                                           "I := PARAMCOUNT;",
                                           "I := 6;",
                                           "T[I] := 1;",
                                           "J := T[I];",
                                           "I := 0;",
                                           "J := 5 \\ I;",
                                           "J := 5 MOD I;",
                                           "J := 5 / I;",
                                           "X := 1E38 * 1E38;",
                                           "X := X / 0;",
                                           "S := COPY(TS[I],1,2);",
                                           "P;",
                                           "END;",
                                           "WRITELN('fin');"};
    std::mt19937 rng(9);
    for (std::size_t n = 0; n < body.size(); ++n) {
        Program p{"handed back " + std::to_string(n),
                  {"PROGRAM Rendu;", "VAR I, J: INTEGER;", "VAR X: REAL;", "VAR S: STRING;",
                   "VAR T: ARRAY[5] OF INTEGER;", "VAR TS: ARRAY[2] OF STRING;", "PROCEDURE P;",
                   "P;", "BEGIN"}};
        // Each statement alone after the ones before it, then the recursion that overflows.
        p.lines.insert(p.lines.end(), body.begin(), body.begin() + static_cast<long>(n) + 1);
        p.lines.push_back("END.");
        compare(p, rng);
        if (HasFailure()) return;
    }
    // RANDOM into elements: each form finds its element before it draws.
    compare(Program("random into elements",
                    {"PROGRAM Hasard;", "VAR I: INTEGER;", "VAR X: REAL;", "VAR TR: ARRAY[3] OF REAL;", "BEGIN",
                     "FOR I:=1 TO 3 DO", "TR[I] := RANDOM * 2;", "TR[2] := X - RANDOM;", "X := TR[1] + TR[2];",
                     "WRITELN(X);", "TR[3] := RANDOM;", "WRITELN(TR[3]);", "TR[I] := RANDOM;", "END."}),
            rng);
    // The statements whose forms read nothing or little: EXIT from a procedure called in a
    // loop, BREAK out of a FOR, a WHILE and a REPEAT, GOTOXY of variables and numbers, CLRSCR,
    // RANDOMIZE and ASSIGNPRN.
    compare(Program("exits and breaks",
                    {"PROGRAM Sorties;", "VAR I, J, N: INTEGER;", "VAR X: REAL;", "PROCEDURE P;", "BEGIN", "N := N + 1;",
                     "IF N > 2 THEN", "EXIT;", "N := N + 10;", "END;", "BEGIN", "RANDOMIZE;", "ASSIGNPRN(PRN);",
                     "FOR I:=1 TO 5 DO", "BEGIN", "P;", "GOTOXY(I,3);", "IF I = 4 THEN", "BREAK;", "END;",
                     "J := 9;", "WHILE J > 0 DO", "BEGIN", "J := J - 1;", "IF J = 5 THEN", "BREAK;", "END;",
                     "WEND;", "REPEAT", "J := J + 1;", "IF J > 7 THEN", "BREAK;", "UNTIL J > 100;",
                     "CLRSCR;", "GOTOXY(2,J);", "WRITELN(I);", "WRITELN(N);", "X := RANDOM;", "WRITELN(X);", "END."}),
            rng);
    // The built-ins of a literal, worked out once by the decoder; LN(0) and a real written
    // with a point (not the separator here) stay with the text path, which reports them.
    compare(Program("built-ins of literals",
                    {"PROGRAM Litteraux;", "VAR I, J: INTEGER;", "VAR X: REAL;", "VAR S: STRING;", "BEGIN",
                     "FOR I:=1 TO 3 DO", "BEGIN", "J := J + ABS(-4);", "J := J - ORD('A');", "J := VAL(12) * J;",
                     "X := X + SQRT(2);", "X := EXP(1) - X;", "S := CHR(66) + INTTOSTR(007);",
                     "S := S + INTTOHEX(255);", "END;", "WRITELN(J);", "WRITELN(X);", "WRITELN(S);",
                     "X := SQRT(2.25);", "X := LN(0);", "END."}),
            rng);
    compare(Program("poll", {"PROGRAM Sans;", "VAR X: REAL;", "BEGIN", "Boucle:", "X := X + 1;",
                             "GOTO Boucle;", "END."}),
            rng);
}

// The IDE's line list converts a line of the document at every read: a run reads each
// line a few times (pre-pass, decoding), not once per statement, on either path.
TEST(FastPath, ReadsTheLinesOncePerRunNotPerStatement) {
    struct CountingLines : VectorLines {
        using VectorLines::VectorLines;
        std::string line(int index) const override {
            ++reads;
            return VectorLines::line(index);
        }
        mutable int reads = 0;
    };
    const std::vector<std::string> program = {
        "PROGRAM Compte;",   "VAR I, S: INTEGER;", "BEGIN",  "  FOR I:=1 TO 20000 DO", "  BEGIN",
        "    IF I > S THEN", "    S := S + I;",    "  END;", "  WRITELN(S);",          "END."};
    std::vector<std::string> screens;
    std::vector<int> reads;
    for (const bool fast : {true, false}) {
        Harness h;
        h.interpreter->setFastForms(fast);
        CountingLines lines(program);
        std::int32_t line = 0, step = 0, status = 0;
        h.interpreter->Exec(lines, line, step, status);
        screens.push_back(h.screen.text());
        reads.push_back(lines.reads);
        ASSERT_GT(h.interpreter->statementsRun(), 80000u);
    }
    EXPECT_EQ(screens[0], screens[1]);
    for (const int count : reads) EXPECT_LT(count, 10 * static_cast<int>(program.size()));
}

// A line edited between two steps runs as it now reads, on either path, even after it has
// run (and been read) as it was: WRITELN(I) runs once, then the loop writes the new text.
TEST(FastPath, EditedLineRunsAsItNowReads) {
    for (const bool fast : {true, false}) {
        Harness h;
        h.interpreter->setFastForms(fast);
        h.load({"PROGRAM Edite;", "VAR I: INTEGER;", "BEGIN", "FOR I:=1 TO 3 DO", "WRITELN(I);", "WRITELN(9);",
                "END."});
        std::int32_t line = 0;
        bool edited = false;
        for (int call = 0; call < 40 && line < h.lines.count(); ++call) {
            const std::int32_t status = h.exec(line, true);
            ASSERT_TRUE(status == StatusStop || status == StatusStepAtBlockEnd) << status;
            ASSERT_TRUE(h.messages.messages.empty()) << h.messages.messages.front();
            line = h.line;
            if (!edited && h.screen.text().find('1') != std::string::npos) {
                h.lines.lines[4] = "WRITELN('x');";
                h.lines.lines[5] = "WRITELN('fin');";
                edited = true;
            }
        }
        const std::string screen = h.screen.text();
        EXPECT_TRUE(edited);
        EXPECT_EQ(std::count(screen.begin(), screen.end(), 'x'), 2) << screen;
        EXPECT_EQ(screen.find_first_of("239"), std::string::npos) << screen;
        EXPECT_NE(screen.find("fin"), std::string::npos) << screen;
    }
}

// ---- The recorded corpus ---------------------------------------------------------------
//
// Today's behaviour, kept as the guard of any rewrite of the interpreter: for every case
// program and example, and for generated programs (some fed input), what a run and a
// single-stepped run do after each call of the driver (screen, messages, status and line,
// stacks, every variable, the files written; the statement and poll counts left out, as
// they say how, not what). The recording, tests/interpreter/corpus.txt, holds a hash of
// each program and of its behaviour: a program that changed (its generator was edited)
// asks for a new recording, a behaviour that changed is a fault unless it is meant.
//
//   ZEF_CORPUS_LONG=1     all the recorded generated programs, not only the first thirtieth
//   ZEF_CORPUS_RECORD=1   writes the recording instead of checking it (with LONG for all)
namespace {

constexpr int kCorpusGenerated = 1500; // of each generator, in the long pass

bool corpusFlag(const char* name) {
    const char* v = std::getenv(name);
    return v && *v && std::string(v) != "0";
}

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::vector<Program> corpusPrograms(bool longPass) {
    std::vector<Program> programs = casePrograms();
    std::sort(programs.begin(), programs.end(),
              [](const Program& a, const Program& b) { return a.name < b.name; });
    const std::deque<std::string> input = {"12", "abc", "3,5", "", "-7", "fin", "2147483647"};
    const int generated = longPass ? kCorpusGenerated : kCorpusGenerated / 30;
    for (int seed = 1; seed <= generated; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(seed));
        Program random("hasard-" + std::to_string(seed), robustnessProgram(rng));
        if (seed % 3 == 0) random.input = input;
        Program typed("boucles-" + std::to_string(seed), typedProgram(rng));
        if (seed % 4 == 0) typed.input = input;
        if (seed % 5 == 0) typed.locale = "en_US";
        programs.push_back(std::move(random));
        programs.push_back(std::move(typed));
    }
    // Learners' programs, from seeds of their own so that the ones above stay as recorded.
    for (int seed = 1; seed <= generated; ++seed) {
        std::mt19937 rng(static_cast<unsigned>(100000 + seed));
        Program learner("eleve-" + std::to_string(seed), learnerProgram(rng));
        if (seed % 2 == 0) learner.input = input;
        if (seed % 5 == 0) learner.locale = "en_US";
        programs.push_back(std::move(learner));
    }
    return programs;
}

std::string programText(const Program& p) {
    std::string text = p.locale + "\n" + p.arguments + "\n";
    for (const auto& l : p.input) text += l + "\n";
    text += "---\n";
    for (const auto& l : p.lines) text += l + "\n";
    return text;
}

// What the program does, run and then single-stepped, by the interpreter as the IDE and
// zefrun use it; `unexplained` collects its stops that do not say why.
std::string behaviour(const Program& p, const fs::path& dir, std::vector<std::string>& unexplained) {
    std::string all;
    for (const bool stepping : {false, true}) {
        fs::remove_all(dir);
        Side side(p, true, dir);
        std::int32_t from = 0;
        for (int call = 0; call < (stepping ? 300 : 3); ++call) {
            std::string t = side.call(from, stepping);
            // The counts of statements and polls say how the work was done, not what it did.
            if (const auto at = t.find(" count "); at != std::string::npos)
                if (const auto end = t.find(" begin ", at); end != std::string::npos) t.erase(at, end - at);
            all += t + "\n";
            if (startsWith(t, "abandoned") || startsWith(t, "status 0") || side.h.line >= side.h.lines.count())
                break;
            from = side.h.line;
        }
        for (const auto& u : side.unexplained) unexplained.push_back(p.name + " line " + u);
        all += "====\n";
    }
    return all;
}

} // namespace

TEST(Corpus, BehaviourMatchesTheRecording) {
    const fs::path recording = fs::path(ZEF_CASES_DIR).parent_path() / "interpreter" / "corpus.txt";
    const bool record = corpusFlag("ZEF_CORPUS_RECORD"), longPass = corpusFlag("ZEF_CORPUS_LONG");
    const fs::path previous = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "zef-corpus-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path root = pattern;
    struct Restore {
        fs::path previous, root;
        ~Restore() {
            fs::current_path(previous);
            std::error_code ec;
            fs::remove_all(root, ec);
        }
    } restore{previous, root};

    std::map<std::string, std::pair<std::string, std::string>> recorded; // name -> hashes
    if (!record) {
        std::ifstream in(recording);
        ASSERT_TRUE(in) << "no recording at " << recording;
        std::string name, programHash, behaviourHash;
        while (in >> name >> programHash >> behaviourHash) recorded[name] = {programHash, behaviourHash};
    }
    std::ostringstream out;
    int checked = 0, differing = 0;
    std::vector<std::string> unexplained;
    for (const Program& p : corpusPrograms(longPass || record)) {
        auto hex = [](std::uint64_t h) {
            char buffer[17];
            std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
            return std::string(buffer);
        };
        const std::string programHash = hex(fnv1a(programText(p)));
        const std::string seen = behaviour(p, root / "run", unexplained);
        const std::string behaviourHash = hex(fnv1a(seen));
        if (record) {
            out << p.name << " " << programHash << " " << behaviourHash << "\n";
            continue;
        }
        const auto it = recorded.find(p.name);
        ASSERT_NE(it, recorded.end()) << p.name << " is not recorded: record the corpus again";
        ASSERT_EQ(it->second.first, programHash)
            << p.name << ": the program is not the one recorded (its generator changed?): record again";
        ++checked;
        if (it->second.second != behaviourHash && ++differing <= 3)
            ADD_FAILURE() << p.name << " behaves otherwise than recorded. Now:\n"
                          << seen.substr(0, 4000) << "\nProgram:\n"
                          << programText(p);
    }
    if (record) {
        fs::current_path(previous);
        std::ofstream file(recording, std::ios::binary);
        file << out.str();
        std::printf("recorded to %s\n", recording.c_str());
        return;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(checked, 200);
    EXPECT_TRUE(unexplained.empty()) << unexplained.size() << " stops do not say why, the first: " << unexplained.front();
    std::printf("%d programs as recorded\n", checked);
}
