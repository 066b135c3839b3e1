// Random programs built from fragments of the language, valid and broken, run through the
// interpreter: whatever a learner types, a run ends with a status and a line the editor
// can show, or is abandoned with the platform's report, and never crashes. The seeds are
// fixed, so a failure is reproducible; the poll hook bounds every run.
#include "recording_platform.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

using namespace zef;
using namespace zef::testing;
namespace fs = std::filesystem;

namespace {

// Declarations, right and wrong.
const std::vector<std::string> kDeclarations = {
    "VAR I, J, K: INTEGER;", "VAR R, X: REAL;", "VAR S, NOM: STRING;", "VAR C: CHAR;",
    "VAR F, G: TEXTFILE;", "VAR T: ARRAY[5] OF INTEGER;", "VAR TR: ARRAY[3] OF REAL;",
    "VAR TS: ARRAY[4] OF STRING;", "VAR TC[2]: CHAR;", "VAR Z[0]: INTEGER;", "VAR Z[-3]: INTEGER;",
    "VAR Z[]: INTEGER;", "VAR Z[2000]: INTEGER;", "VAR Z[2001]: REAL;", "VAR Z[99999999999]: CHAR;",
    "VAR Z[3: INTEGER;", "VAR A, B: ARRAY[2] OF REAL;", "VAR Q: ARRAY[2] INTEGER;",
    "VAR Q ARRAY OF;", "VAR : INTEGER;", "VAR ,,: INTEGER;", "VAR 1A: INTEGER;",
    "VAR NOMTRESTRESTRESLONG1: INTEGER;", "VAR U: TEXT;", "VAR V: REALS;", "VAR W: STRING[40];",
    "VAR FF[3]: TEXTFILE;", "VAR FF[4]: TEXTFILE;", "VAR", "VAR I: INTEGER", "VAR:", "VAR [: ;",
    "VAR ARRAY", "VAR X: ARRAY[2147483647] OF INTEGER;", "VAR E[1]: STRING;",
    "VAR ZS[999999999]: STRING;", "VAR ZS[100001]: STRING;", "VAR ZI[2147483647]: INTEGER;",
};

// Statements of every kind, with their usual mistakes.
const std::vector<std::string> kStatements = {
    "I := 1;", "I := I + 1;", "I := 2147483647 + 1;", "I := -2147483647 - 2;", "I := 5 \\ 0;",
    "I := 7 / 0;", "I := 7 MOD 0;", "I := -7 MOD 3;", "I := 1 + 2 + 3;", "I := 3.5;",
    "I := 99999999999;", "I := $FFFFFFFF;", "I := $;", "I := -;", "I := +;", "I :=", "I := ;",
    "I := ABS(-3);", "I := ABS(ABS(X));", "I := INT(R);", "I := INT(1E30);", "I := ORD('');",
    "I := ORD(S);", "I := VAL('x');", "I := VAL();", "I := POS('b','abc');", "I := POS(,);",
    "I := POS('b', 'abc');", "I := POS(;", "I := LENGTH(S);", "I := LENGTH();", "I := LENGTH(;",
    "I := PARAMCOUNT;", "I := T[3];", "I := T[0];", "I := T[6];", "I := T[-2147483648];",
    "I := T[2147483647];", "I := T[J];", "I := T[;", "I := T[];", "I := T[R];", "I := TR[1];",
    "I := (A + B);", "I := ABS (X);", "I := MODE;", "I := R;", "I := 2 ** 3;", "I := ABS(2**3);",
    "I := ((((((1)))))));", "I := )(;", "I := ABS(;", "I := ABS(", "I := INT(", "I := ORD(",
    "R := 0.1;", "R := 3,5;", "R := 1 / 0;", "R := 1E38 * 10;", "R := 1,7E38 * 1,7E38;",
    "R := SQRT(-1);", "R := LN(0);", "R := EXP(1000);", "R := EXP(-1000);", "R := RANDOM;",
    "R := RANDOM(10);", "R := SIN(X);", "R := COS(1E300);", "R := 1.2.3;", "R := .;",
    "R := TR[2] + TR[4];", "R := TR[1] / TR[2];", "R := 1E-300;", "R := 7 MOD 2;",
    "S := 'abc' + 'def';", "S := 'a+b';", "S := S + S;", "S := 'x' + 'y' + 'z';", "S := '",
    "S := ''';", "S := 'abc", "S :=", "S := +;", "S := ++;", "S := COPY('abcdef',2,3);",
    "S := COPY(S,0,2);", "S := COPY('abc',5,1);", "S := COPY('abc',-2147483648,2147483647);",
    "S := COPY('abc',1);", "S := COPY('abc');", "S := COPY(;", "S := COPY(", "S := COPY(,,);",
    "S := PARAMSTR(0);", "S := PARAMSTR(9);", "S := PARAMSTR();", "S := PARAMSTR(", "S := CHR(321);",
    "S := CHR(;", "S := CHR('x');", "S := UPPERCASE('été');", "S := LOWERCASE(S);",
    "S := INTTOSTR(R);", "S := INTTOSTR(;", "S := INTTOHEX(-1);", "S := INTTOHEX(0);",
    "S := DATETOSTR(DATE);", "S := TIMETOSTR(TIME);", "S := TIMETOSTR(", "S := READKEY;",
    "S := INCONNU(3);", "S := INCONNU(T[1]);", "S := TS[4];", "S := TS[5];", "S := TS[I];",
    "C := 'hello';", "C := '';", "C := S;", "C := CHR(0);", "TC[2] := 'z';", "TC[3] := 'z';",
    "T[3] := 7;", "T[J] := 7;", "T[J+1] := 7;", "T[R] := 7;", "T[3 := 7;", "T[] := 1;",
    "T[0] := 1;", "T[6] := 1;", "X = 5;", "INCONNU;", "INCONNU := 5;", "F := 1;", "Ici := 1;",
    "WRITE('A');", "WRITELN('Bonjour, monde');", "WRITELN(I);", "WRITELN(R);", "WRITELN(T[6]);",
    "WRITELN(T[2]);", "WRITELN(TR[0]);", "WRITELN(X+1);", "WRITELN ('x');", "WRITELN;",
    "WRITELN();", "WRITELN(", "WRITELN(')", "WRITELN(''')", "WRITELN('a''b''c')", "WRITE(,);",
    "WRITELN(F);", "WRITELN('a,b');", "WRITELN(PRN,'x');", "WRITELN(F,'ligne');", "WRITE(F,I);",
    "WRITELN(I,'x');", "WRITELN(G,S);", "WRITELN(12a4b);", "READ(I);", "READLN(S);",
    "READLN(T[1]);", "READ(X);", "READ(F,S);", "READLN(F,I);", "READLN(PRN,S);", "READLN(I,S);",
    "READLN(F,INCONNU);", "READLN(F,);", "READ(,);", "READLN();", "READ(", "CLRSCR;",
    "GOTOXY(1,1);", "GOTOXY(3,10);", "GOTOXY(0,5);", "GOTOXY(5);", "GOTOXY(,);",
    "GOTOXY(2147483647,2147483647);", "GOTOXY(-2147483648,1);", "GOTOXY(I,J);", "GOTOXY(R,1);",
    "GOTOXY(", "SHOWMESSAGE 'Bonjour';", "SHOWMESSAGE('Bonjour');", "SHOWMESSAGE S;",
    "SHOWMESSAGE;", "SHOWMESSAGE '", "ASSIGN(F,'data.txt');", "ASSIGN(F,S);",
    "ASSIGN(F, 'data.txt');", "ASSIGN(F);", "ASSIGN(I,'x');", "ASSIGN(G,'sous\\fichier.txt');",
    "ASSIGN(G,'');", "ASSIGN(F,'\xe9t\xe9.txt');", "ASSIGN(F,'.');", "ASSIGN(F,'sous');",
    "ASSIGN(", "ASSIGN(,);", "ASSIGNPRN(PRN);", "REWRITE(PRN);", "RESET(PRN);", "CLOSE(PRN);",
    "RESET(F);", "REWRITE(F);", "REWRITE(G);", "RESET(G);", "CLOSE(F);", "CLOSE(G);",
    "CLOSE(I);", "RESET();", "RESET(", "REWRITE(INCONNU);", "REWRITE(FF[1]);",
    "DELETEFILE 'data.txt';", "DELETEFILE('A.TXT');", "DELETEFILE '';", "DELETEFILE S;",
    "MKDIR 'sous';", "MKDIR 'sous\\x';", "MKDIR '';", "RMDIR 'sous';", "RMDIR 'sous\\x';",
    "RMDIR 'nulle';", "CHDIR 'sous';", "CHDIR 'NOWHERE';", "CHDIR '';", "MKDIR", "CHDIR",
    "RANDOMIZE;", "NOP;", "{ commentaire }", "BEGIN", "END;", "END", "END.", "ENDSUB",
    "ENDSUB;", "ENDING := 1;", "VARIABLE := 1;", "PROGRAM X;", "CALL P;", "CALL Rien;", "P;",
    "P(3);", "P", "Q;", "GOTO Ici;", "GOTO Ailleurs;", "GOTO ;", "GOTO", "EXIT;", "BREAK;",
    "NEXT;", "WEND;", "UNTIL I > 3;", "UNTIL;", "ELSE", "ELSE;", "Ici:", "Ici:;",
    "IF I = 3 THEN", "IF I < 0 THEN", "IF THEN", "IF I", "IF 'a' > 'Z' THEN",
    "IF EOF(F) THEN", "IF NOT EOF(F) THEN", "IF EOF( THEN", "IF NOT EOF(I) THEN",
    "IF \"<\" = I THEN", "IF I <= THEN", "IF = THEN", "IF <> THEN", "FOR I:=1 TO 3 DO",
    "FOR I:=5 TO 1 DO", "FOR I:=3 DOWNTO 1 DO", "FOR I:= 1 TO 3 DO", "FOR I:=1 TO 3",
    "FOR I:=1 3 DO", "FOR I 1 TO 3 DO", "FOR R:=1 TO 3 DO", "FOR Z:=1 TO 3 DO", "FOR := TO DO",
    "FOR I:=X TO 3 DO", "FOR I:=1 TO 'a' DO", "FOR I:=2147483647 TO 2147483647 DO",
    "FOR I:=T[1] TO T[9] DO", "FOR", "WHILE I < 3 DO", "WHILE I > 100 DO", "WHILE DO",
    "WHILE I < 3", "WHILE NOT EOF(F) DO", "WHILE", "REPEAT", "REPEAT;", "UNTIL I >= 2;",
    "UNTIL EOF(G);", "\t\tWRITE(\t'tab');", ";", ";;", "(", ")", "[", "]", ":", ":=", "'",
    "''", "\"", "+", "-", "*", "/", "\\", "<", ">", "=", "{", "}", "\xbb", "\xbbWRITE('m');",
    "\x95WRITE('s');", "\xe9\xe8\xe0 := 1;", "\xff\xfe", "I := \xb2;", "WRITELN('\xe9t\xe9');",
    std::string("WRITELN('a\0b');", 15), std::string("\0", 1),
};

// A random line of at least 256 characters, sometimes a statement padded to that length.
std::string longLine(std::mt19937& rng) {
    std::uniform_int_distribution<int> len(250, 600), byte(1, 255), pick(0, 3);
    switch (pick(rng)) {
    case 0: return "WRITELN('" + std::string(static_cast<std::size_t>(len(rng)), 'x') + "');";
    case 1: return "S := '" + std::string(static_cast<std::size_t>(len(rng)), 'y') + "' + 'z';";
    case 2: return "I := 1 +" + std::string(static_cast<std::size_t>(len(rng)), ' ') + "2;";
    default: {
        std::string s;
        const int n = len(rng);
        for (int i = 0; i < n; ++i) s += static_cast<char>(byte(rng));
        return s;
    }
    }
}

std::string randomNumber(std::mt19937& rng) {
    static const std::vector<std::string> numbers = {
        "0", "1", "-1", "2147483647", "-2147483648", "2147483648", "99999999999999999999",
        "1E38", "1E39", "-1E-39", "3,5", "3.5", "$7FFFFFFF", "$80000000", "$100000000", "",
        "-", "+", ".", "1E", "1E+", "0000000000000000000001"};
    return numbers[std::uniform_int_distribution<std::size_t>(0, numbers.size() - 1)(rng)];
}

// A statement with some of its numbers replaced by extreme ones.
std::string mutated(std::mt19937& rng, std::string s) {
    std::uniform_int_distribution<int> coin(0, 5);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9' && coin(rng) == 0) {
            std::size_t j = i;
            while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
            const std::string n = randomNumber(rng);
            s.replace(i, j - i, n);
            i += n.size();
        }
    }
    return s;
}

std::vector<std::string> randomProgram(std::mt19937& rng) {
    auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
    auto anyOf = [&](const std::vector<std::string>& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
    };
    auto statement = [&]() {
        if (chance(3)) return longLine(rng);
        std::string s = anyOf(kStatements);
        if (chance(20)) s = mutated(rng, s);
        if (chance(10)) s = "  " + s;
        if (chance(5)) s = "\xbb" + s;
        return s;
    };
    std::vector<std::string> lines;
    if (chance(5)) lines.push_back("");
    if (chance(97)) lines.push_back(chance(95) ? "PROGRAM Hasard;" : "PROGRAM Hasard");
    const int declarations = std::uniform_int_distribution<int>(0, 6)(rng);
    for (int i = 0; i < declarations; ++i) lines.push_back(chance(85) ? anyOf(kDeclarations) : statement());
    // Procedures: a one-line body, a block, a recursive one, one without END.
    const int procedures = std::uniform_int_distribution<int>(0, 2)(rng);
    for (int p = 0; p < procedures; ++p) {
        lines.push_back(p == 0 ? "PROCEDURE P;" : (chance(50) ? "PROCEDURE Q;" : "PROCEDURE"));
        if (chance(30)) {
            lines.push_back(statement());
        } else {
            lines.push_back("BEGIN");
            const int n = std::uniform_int_distribution<int>(0, 4)(rng);
            for (int i = 0; i < n; ++i) lines.push_back(chance(15) ? "P;" : statement());
            if (chance(90)) lines.push_back("END;");
        }
    }
    lines.push_back("BEGIN");
    const int body = std::uniform_int_distribution<int>(1, 30)(rng);
    for (int i = 0; i < body; ++i) {
        if (chance(8)) {
            // Deep nesting of blocks and loops.
            const int depth = std::uniform_int_distribution<int>(1, 40)(rng);
            for (int d = 0; d < depth; ++d) {
                lines.push_back(anyOf({"FOR I:=1 TO 2 DO", "WHILE J < 1 DO", "REPEAT",
                                       "IF I < 9 THEN", "BEGIN"}));
                if (chance(30)) lines.push_back("BEGIN");
            }
            lines.push_back(statement());
            for (int d = 0; d < depth; ++d) lines.push_back(anyOf({"END;", "END", "UNTIL I > 0;", "WEND;"}));
        } else {
            lines.push_back(statement());
        }
    }
    if (chance(95)) lines.push_back(chance(95) ? "END." : "end.");
    if (chance(3)) lines.push_back("");
    return lines;
}

// Runs the program in a temporary directory and restores the current directory after.
class Robustness : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "zef-robustness-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // What must hold after every call of the driver.
    void checkCall(const Harness& h, std::int32_t status, bool abandoned, const std::string& where) {
        if (abandoned) return;
        EXPECT_TRUE(status == 0 || status == 1 || status == 998) << where << " status " << status;
        if (status > 0) {
            EXPECT_GE(h.line, 0) << where;
            EXPECT_LE(h.line, h.lines.count()) << where;
        }
    }

    // One program, run to its end (bounded by the poll hook) and then single-stepped.
    void runOne(const std::vector<std::string>& program, const std::string& where) {
        for (const bool stepping : {false, true}) {
            fs::current_path(dir_); // CHDIR in an earlier run must not leak
            Harness h;
            h.poll.stopAfter = 1;
            h.interpreter->setRunArguments("a  b c");
            h.screen.input = {"12", "abc", "", "3,5", std::string(300, 'z')};
            h.lines.lines = program;
            std::int32_t status = 0;
            bool abandoned = false;
            auto call = [&](std::int32_t from) {
                try {
                    status = h.exec(from, stepping);
                    abandoned = false;
                } catch (const RunAbandoned& e) {
                    abandoned = true;
                    EXPECT_NE(std::string(e.what()), "") << where;
                }
                checkCall(h, status, abandoned, where);
            };
            call(0);
            // Single-step mode driven to the end, as the editor does with F7.
            for (int steps = 0; stepping && !abandoned && status > 0 && steps < 400; ++steps) {
                call(h.line);
                if (h.line >= h.lines.count()) break;
            }
            // A continued run after a stop goes on from the line reported.
            if (!stepping && !abandoned && status > 0) call(h.line);
            for (const auto& m : h.messages.messages) EXPECT_FALSE(m.empty()) << where;
            if (::testing::Test::HasFailure()) return;
        }
    }

    fs::path previous_, dir_;
};

std::string describe(const std::vector<std::string>& program, unsigned seed, int n) {
    std::ostringstream s;
    s << "seed " << seed << " program " << n << ":\n";
    for (const auto& l : program) s << "  " << l << "\n";
    return s.str();
}

} // namespace

TEST_F(Robustness, RandomProgramsNeverCrash) {
    for (unsigned seed : {1u, 2u, 3u, 42u}) {
        std::mt19937 rng(seed);
        for (int n = 0; n < 70; ++n) {
            const auto program = randomProgram(rng);
            runOne(program, describe(program, seed, n));
            if (HasFailure()) return;
        }
    }
}

// Every fragment alone, in the body of a program that declares every kind of variable.
TEST_F(Robustness, EveryFragmentAlone) {
    const std::vector<std::string> head = {"PROGRAM Seul;",
                                           "VAR I, J: INTEGER;",
                                           "VAR R, X: REAL;",
                                           "VAR S: STRING;",
                                           "VAR C: CHAR;",
                                           "VAR F, G: TEXTFILE;",
                                           "VAR T: ARRAY[5] OF INTEGER;",
                                           "VAR TR: ARRAY[3] OF REAL;",
                                           "VAR TS: ARRAY[4] OF STRING;",
                                           "VAR TC[2]: CHAR;",
                                           "PROCEDURE P;",
                                           "  WRITE('p');",
                                           "BEGIN",
                                           "Ici:"};
    for (const auto& fragment : kStatements) {
        auto program = head;
        program.push_back(fragment);
        program.push_back("END.");
        runOne(program, describe(program, 0, 0));
        if (HasFailure()) return;
    }
}

// The same programs cut at every line: unbalanced blocks at every place.
TEST_F(Robustness, TruncatedPrograms) {
    std::mt19937 rng(7);
    for (int n = 0; n < 12; ++n) {
        const auto program = randomProgram(rng);
        for (std::size_t cut = 1; cut < program.size(); cut += 3) {
            std::vector<std::string> part(program.begin(), program.begin() + static_cast<long>(cut));
            part.push_back("END.");
            runOne(part, describe(part, 7, n));
            if (HasFailure()) return;
        }
    }
}

// Reading a device or a pipe would never end: only regular files open for reading. A file
// too large to hold (sparse here: it takes no disk) abandons the run instead of taking all
// the memory.
TEST_F(Robustness, OnlyRegularFilesAreReadAndNoneTooLarge) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'/dev/zero');",
                     "  RESET(F);", "END."}),
              1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Erreur Entrée/Sortie"});
    EXPECT_EQ(h.line, 4);

    const ScratchFolder scratch("zef-big");
    const std::filesystem::path big = scratch / "gros.txt";
    { std::ofstream create(big); }
    std::filesystem::resize_file(big, MaxReadFileBytes + 1);
    Harness large;
    try {
        large.run({"PROGRAM T;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'" + big.string() + "');",
                   "  RESET(F);", "END."});
        ADD_FAILURE() << "a file beyond the bound was read";
    } catch (const RunAbandoned& e) {
        EXPECT_STREQ(e.what(), "M\xE9moire insuffisante");
    }
    std::filesystem::resize_file(big, 10);
    EXPECT_EQ(large.run({"PROGRAM T;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'" + big.string() + "');",
                         "  RESET(F);", "END."}),
              0); // within the bound it reads as ever
    std::filesystem::remove(big);
}

// The generator and the fragments, for the differential test of the fast path.
std::vector<std::string> robustnessProgram(std::mt19937& rng) { return randomProgram(rng); }
const std::vector<std::string>& robustnessStatements() { return kStatements; }
