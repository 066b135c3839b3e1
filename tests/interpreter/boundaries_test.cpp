// The language's rules at their edges: the last pass of a loop, the last character of a
// text, the largest integer, the sixteenth character of a comparison, the kind of an
// element's number, the cursor's last row and column, the longest line, the longest string. Each program runs twice, on the text path alone (no fast forms) and
// with the fast forms, and each run must give what the row says; so a mistake made in
// both ways of running a line is caught as surely as one made in only one of them, which
// the comparison of the two paths (differential_test) cannot see.
#include "recording_platform.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace zef;
using namespace zef::testing;
namespace fs = std::filesystem;

namespace {

struct Boundary {
    const char* rule;
    std::vector<std::string> body; // between BEGIN and END.
    std::string screen;            // the screen's rows afterwards
    std::string message;           // the error the run stops on, if any
    std::deque<std::string> input = {};
};

// I is the first integer, R the first real, C the first char, S the first string and F
// the first file: they share slot 1 of their stores, so an element numbered by one of
// them would read the integer I if its kind went unchecked.
std::vector<std::string> program(const std::vector<std::string>& body) {
    std::vector<std::string> lines = {"PROGRAM Bords;",
                                      "VAR I, J: INTEGER;",
                                      "VAR R: REAL;",
                                      "VAR C: CHAR;",
                                      "VAR S, U: STRING;",
                                      "VAR F: TEXTFILE;",
                                      "VAR T: ARRAY[3] OF INTEGER;",
                                      "BEGIN"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("END.");
    return lines;
}

const Boundary kBoundaries[] = {
    {"SQRT of 0 is 0, not an error",
     {"R := SQRT(0);", "WRITELN(R);", "R := 0,25;", "R := SQRT(R);", "WRITELN(R);"},
     "0\n0,5\n",
     ""},
    {"the largest and the smallest integers are results like any other",
     {"I := 2147483647;", "J := I / 1;", "WRITELN(J);", "I := -2147483647;", "I := I - 1;",
      "J := I / 1;", "WRITELN(J);", "R := 2147483647;", "J := INT(R);", "WRITELN(J);"},
     "2147483647\n-2147483648\n2147483647\n",
     ""},
    {"COPY from the last character gives that character; one past it, nothing",
     {"S := 'abc';", "U := COPY(S,3,1);", "WRITELN(U);", "U := COPY('abc',3,5);", "WRITELN(U);",
      "I := 3;", "U := COPY(S,I,1);", "WRITELN(U);", "U := COPY(S,4,1);", "WRITE('[');",
      "WRITE(U);", "WRITELN(']');"},
     "c\nc\nc\n[]\n",
     ""},
    {"a FOR loop runs its last pass, down as well as up, and once when its bounds meet",
     {"FOR I:=3 DOWNTO 1 DO", "WRITE(I);", "WRITELN('.');", "FOR I:=1 TO 3 DO", "WRITE(I);",
      "WRITELN('.');", "FOR I:=2 DOWNTO 2 DO", "WRITE(I);", "WRITELN('.');"},
     "321.\n123.\n2.\n",
     ""},
    {"each comparison below, at and above equality",
     {"FOR I:=1 TO 3 DO", "BEGIN", "IF I = 2 THEN", "WRITE('=');", "IF I <> 2 THEN", "WRITE('#');",
      "IF I < 2 THEN", "WRITE('<');", "IF I > 2 THEN", "WRITE('>');", "IF I <= 2 THEN",
      "WRITE('(');", "IF I >= 2 THEN", "WRITE(')');", "WRITELN('.');", "END;"},
     "#<(.\n=().\n#>).\n",
     ""},
    {"texts compare right-aligned on their last sixteen characters, no fewer",
     {"IF 'xABCDEFGHIJKLMNOP' = 'yABCDEFGHIJKLMNOP' THEN", "WRITE('a');",
      "IF 'ABCDEFGHIJKLMNOP' = 'BBCDEFGHIJKLMNOP' THEN", "WRITE('b');",
      "IF 'ABCDEFGHIJKLMNOP' < 'BBCDEFGHIJKLMNOP' THEN", "WRITE('c');", "S := 'ABCDEFGHIJKLMNOP';",
      "U := 'BBCDEFGHIJKLMNOP';", "IF S <> U THEN", "WRITE('d');", "IF U > S THEN", "WRITE('e');",
      "U := 'ABCDEFGHIJKLMNOQ';", "IF S = U THEN", "WRITE('f');", "IF S < U THEN", "WRITE('g');",
      "WRITELN('.');"},
     "acdeg.\n",
     ""},
    {"a doubled quote in a condition's literal stands for one quote",
     {"READLN(S);", "IF S = 'it''s' THEN", "WRITE('oui');", "IF 'it''s' <> S THEN", "WRITE('non');",
      "WRITELN('.');"},
     "it's\noui.\n", // the line read, echoed, then the answer
     "",
     {"it's"}},
    // An element's number is an integer variable or a number: a variable of any other kind
    // stops the statement before anything is read or stored.
    {"a real numbering an element stored to",
     {"I := 2;", "T[R] := 7;", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"a char numbering an element stored to",
     {"I := 2;", "T[C] := 7;", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"a string numbering an element stored to",
     {"I := 2;", "T[S] := 7;", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"a file numbering an element stored to",
     {"I := 2;", "T[F] := 7;", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"a real numbering an element read",
     {"I := 2;", "J := T[R] + 1;", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"a char numbering an element read",
     {"I := 2;", "J := T[C];", "WRITELN('jamais');"},
     "",
     "Indice de type incorrect"},
    {"GOTOXY goes to row and column 100000, not to row 100001",
     {"GOTOXY(100000,100000);", "WRITE('a');", "GOTOXY(100001,1);", "WRITE('b');"},
     "a\n",
     "Valeur de paramètre incorrecte"},
    {"GOTOXY does not go to column 100001",
     {"I := 100001;", "GOTOXY(1,I);", "WRITE('b');"},
     "",
     "Valeur de paramètre incorrecte"},
    // A literal of 252 characters leaves room for its quotes and the closing parenthesis;
    // one of 253 loses that parenthesis, and with it the closing quote.
    {"a line keeps 255 characters after WRITELN's parenthesis",
     {"WRITELN('" + std::string(252, 'x') + "');", "WRITELN('" + std::string(253, 'x') + "');"},
     std::string(252, 'x') + "\n",
     "chaine sans fin"},
    {"an integer numbering an element",
     {"I := 3;", "T[I] := 7;", "J := T[I] + 1;", "WRITELN(J);"},
     "8\n",
     ""},
};

} // namespace

TEST(Boundaries, EachRuleHoldsAtItsEdgeOnBothPaths) {
    for (const Boundary& b : kBoundaries)
        for (const bool fast : {false, true}) {
            Harness h;
            h.interpreter->setFastForms(fast);
            h.screen.input = b.input;
            const std::int32_t status = h.run(program(b.body));
            const std::string where =
                std::string(b.rule) + (fast ? " (fast forms)" : " (text path)");
            EXPECT_EQ(h.screen.text(), b.screen) << where;
            if (b.message.empty()) {
                EXPECT_EQ(status, 0) << where;
                EXPECT_EQ(h.messages.messages, std::vector<std::string>{}) << where;
            } else {
                EXPECT_EQ(status, StatusStop) << where;
                EXPECT_EQ(h.messages.messages, std::vector<std::string>{b.message}) << where;
            }
        }
}

// One string holds 32 Mo (33 554 432 characters), and not one character more: the run is
// then abandoned for want of memory.
TEST(Boundaries, AStringHoldsThirtyTwoMegabytesAndNotOneCharacterMore) {
    for (const bool fast : {false, true}) {
        Harness h;
        h.interpreter->setFastForms(fast);
        h.load(program({"S := 'ab';", "FOR I:=1 TO 24 DO", "S := S + S;", "I := LENGTH(S);", "WRITELN(I);",
                        "S := S + 'x';", "WRITELN('jamais');"}));
        try {
            h.exec();
            ADD_FAILURE() << "the run went on (fast forms " << fast << ")";
        } catch (const RunAbandoned& e) {
            EXPECT_EQ(cp1252ToUtf8(e.what()), "Mémoire insuffisante") << "fast forms " << fast;
        }
        EXPECT_EQ(h.screen.text(), "33554432\n") << "fast forms " << fast;
    }
}

// DELETEFILE takes only files and RMDIR only folders (MKDIR and CHDIR likewise refuse a
// file's name): on the other kind of entry they fail with their message and the entry
// stays as it was, with its content.
TEST(Boundaries, FileStatementsOnTheWrongKindOfEntryFailAndLeaveItInPlace) {
    const ScratchFolder scratch("zef-boundaries");
    const CurrentFolder inside(scratch.path());
    fs::create_directory("vide");
    std::ofstream("notes.txt") << "garde";
    const std::pair<std::string, std::string> statements[] = {
        {"DELETEFILE 'vide';", "Fichier vide n'a pas été effacé"},
        {"RMDIR 'notes.txt';", "Répertoire notes.txt n'a pas été éffacé"},
        {"MKDIR 'notes.txt';", "Répertoire notes.txt n'a pas été créé"},
        {"CHDIR 'notes.txt';", "Répertoire notes.txt inexistant"},
    };
    for (const auto& [statement, message] : statements) {
        Harness h;
        EXPECT_EQ(h.run({"PROGRAM Entrees;", "BEGIN", statement, "WRITELN('jamais');", "END."}),
                  StatusStop)
            << statement;
        EXPECT_EQ(h.messages.messages, std::vector<std::string>{message}) << statement;
        EXPECT_EQ(h.screen.text(), "") << statement;
        EXPECT_TRUE(fs::is_directory("vide")) << statement;
        std::ifstream kept("notes.txt");
        std::string content;
        kept >> content;
        EXPECT_EQ(content, "garde") << statement;
        EXPECT_TRUE(fs::equivalent(fs::current_path(), scratch.path())) << statement;
    }
}
