#include "recording_platform.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace zef::testing;

namespace {

std::vector<std::string> body(std::vector<std::string> statements) {
    std::vector<std::string> lines = {"PROGRAM T;", "VAR I: INTEGER;", "VAR S: STRING;",
                                      "VAR R: REAL;", "VAR F: TEXTFILE;", "BEGIN"};
    lines.insert(lines.end(), statements.begin(), statements.end());
    lines.push_back("END.");
    return lines;
}

} // namespace

TEST(Console, WriteAdvancesByTheTextWidthAndWritelnByALine) {
    Harness h;
    EXPECT_EQ(h.run(body({"WRITE('A');", "WRITE('BC');", "WRITELN('D');", "WRITE('E');", "WRITELN;",
                          "WRITELN();", "WRITE(3.50);", "R := 3,5;", "WRITE(R);", "WRITE(F);"})),
              0);
    ASSERT_EQ(h.screen.drawings.size(), 7u);
    // The recording screen measures 7 pixels a character.
    EXPECT_EQ(h.screen.drawings[1].x, 7);
    EXPECT_EQ(h.screen.drawings[2].x, 21);
    EXPECT_EQ(h.screen.drawings[3].x, 0);
    EXPECT_EQ(h.screen.drawings[3].y, 18);
    EXPECT_EQ(h.screen.drawings[4].y, 54);
    EXPECT_EQ(h.screen.text(), "ABCD\nE\n3.503,5F\n");
    EXPECT_EQ(h.interpreter->cursorY(), 54);
}

TEST(Console, OperandsMustStandRightAfterTheParenthesis) {
    Harness h;
    EXPECT_EQ(h.run(body({"WRITELN ('x');"})), 1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Identificateur ('X' inconnu"});
    Harness e;
    EXPECT_EQ(e.run(body({"WRITELN(X+1);"})), 1);
    EXPECT_EQ(e.messages.messages, std::vector<std::string>{"Identificateur X+1 inconnu"});
}

TEST(Console, ReadPlacesTheInputLineAtTheCursorAndDrawsWhatWasTyped) {
    Harness h;
    h.screen.input = {"12", "Zo\xE9", "abc"};
    EXPECT_EQ(h.run(body({"WRITE('Nombre ');", "READ(I);", "READLN(s);", "READ(I);"})), 1);
    EXPECT_EQ(h.interpreter->LitValeur(1, SymbolKind::Integer).i, 12);
    EXPECT_EQ(h.interpreter->LitValeur(1, SymbolKind::String).s, "Zo\xE9");
    ASSERT_EQ(h.screen.inputPositions.size(), 3u);
    EXPECT_EQ(h.screen.inputPositions[0].x, 49);
    EXPECT_EQ(h.screen.inputPositions[1].x, 63); // READ stays on the line
    EXPECT_EQ(h.screen.inputPositions[2].x, 0);  // READLN went to the next one
    EXPECT_EQ(h.screen.inputPositions[2].y, 18);
    // Text that does not convert stays on the screen and stops the run.
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Erreur de conversion"});
    EXPECT_EQ(h.screen.text(), "Nombre 12Zo\xE9\nabc\n");
    EXPECT_EQ(h.line, 9);

    Harness u;
    EXPECT_EQ(u.run(body({"READ(T[1]);"})), 1);
    EXPECT_EQ(u.messages.messages, std::vector<std::string>{"Variable T[1] inconnue"});
}

TEST(Console, GotoxyMovesByColumnsOfEightAndRowsOfEighteen) {
    Harness h;
    EXPECT_EQ(h.run(body({"GOTOXY(3,10);", "WRITE('x');", "I := 2;", "GOTOXY(I,I);", "WRITE('y');",
                          "GOTOXY(1,1);"})),
              0);
    EXPECT_EQ(h.screen.drawings[0].x, 72);
    EXPECT_EQ(h.screen.drawings[0].y, 36);
    EXPECT_EQ(h.screen.drawings[1].x, 8);
    EXPECT_EQ(h.screen.drawings[1].y, 18);
    EXPECT_EQ(h.interpreter->cursorX(), 0);
    EXPECT_EQ(h.interpreter->cursorY(), 0);
    for (const auto& [statement, message] :
         std::vector<std::pair<std::string, std::string>>{{"GOTOXY(0,5);", "Valeur de paramètre incorrecte"},
                                                          {"GOTOXY(5);", "Erreur dans paramètres"},
                                                          {"GOTOXY(S,1);", "Indice de type incorrect"},
                                                          {"GOTOXY(1,X);", "Erreur dans indice"}}) {
        Harness e;
        EXPECT_EQ(e.run(body({statement})), 1);
        EXPECT_EQ(e.messages.messages, std::vector<std::string>{message}) << statement;
    }
}

TEST(Console, ClrscrClearsWithoutMovingTheCursor) {
    Harness h;
    EXPECT_EQ(h.run(body({"WRITELN('un');", "WRITE('deux');", "CLRSCR;", "WRITE('trois');"})), 0);
    EXPECT_EQ(h.screen.clears, 1);
    ASSERT_EQ(h.screen.drawings.size(), 1u);
    EXPECT_EQ(h.screen.drawings[0].x, 28);
    EXPECT_EQ(h.screen.drawings[0].y, 18);
}

TEST(Console, ShowMessageTakesAStringWithoutParentheses) {
    Harness h;
    EXPECT_EQ(h.run(body({"SHOWMESSAGE 'Bonjour';", "S := 'variable';", "SHOWMESSAGE S;",
                          "SHOWMESSAGE('Bonjour');"})),
              1);
    EXPECT_EQ(h.screen.shown, (std::vector<std::string>{"Bonjour", "variable"}));
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"chaine sans fin"});
}

namespace {
// A screen whose text is very wide: the cursor must not wrap round.
class WideScreen : public RecordingScreen {
public:
    int textWidth(const std::string&) override { return 1 << 30; }
};
} // namespace

TEST(Console, TheCursorStopsAtTheLargestCoordinate) {
    Harness h;
    WideScreen wide;
    h.platform.screen = &wide;
    h.interpreter = std::make_unique<Interpreter>(h.platform);
    EXPECT_EQ(h.run(body({"WRITE('a');", "WRITE('b');", "WRITE('c');", "WRITE('d');"})), 0);
    EXPECT_EQ(h.interpreter->cursorX(), INT32_MAX);
    EXPECT_EQ(wide.drawings.size(), 4u);
    EXPECT_EQ(wide.drawings.back().x, INT32_MAX);
}
