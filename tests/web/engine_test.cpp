// The page's session as the worker drives it: a run in calls that end when the user must
// act, the events and the state handed to the page, the colours of the editor.
#include "engine.h"

#include "scratch.h"

#include <gtest/gtest.h>

#include <fstream>

using zef::web::Session;

namespace {

// Drives a run to its end as the page does: a line for each READ from `lines`, every box
// closed; returns the last status and every event seen.
int runToEnd(Session& s, std::vector<std::string> lines, std::string& events, int& waits) {
    int status = s.start(false);
    for (int calls = 0; calls < 1000; ++calls) {
        events += s.events();
        if (status != zef::StatusWaitingForUser && status != zef::StatusPaused) return status;
        if (status == zef::StatusWaitingForUser) {
            ++waits;
            if (s.state().find("\"box\":true") != std::string::npos) s.closeBox();
            else {
                s.giveLine(lines.front());
                lines.erase(lines.begin());
            }
        }
        status = s.resume(false);
    }
    return status;
}

} // namespace

TEST(PageSession, ARunWaitsForTheUserAndLeavesItsFilesClosed) {
    zef::testing::ScratchFolder scratch;
    zef::testing::CurrentFolder here(scratch.path());
    Session s;
    s.setProgram("PROGRAM T;\nVAR N: STRING;\nVAR F: TEXTFILE;\nBEGIN\n  SHOWMESSAGE 'Début';\n"
                 "  WRITE('Nom ? ');\n  READLN(N);\n  ASSIGN(F,'sortie.txt');\n  REWRITE(F);\n"
                 "  WRITELN(F,N);\n  WRITELN(N);\nEND.",
                 "");
    std::string events;
    int waits = 0;
    EXPECT_EQ(runToEnd(s, {"Zoé"}, events, waits), 0);
    EXPECT_EQ(waits, 2); // the box, then the line
    // The events say what the screen shows, in UTF-8; the box carried its text.
    EXPECT_NE(events.find("{\"t\":\"box\",\"s\":\"Début\"}"), std::string::npos);
    EXPECT_NE(events.find("{\"t\":\"draw\",\"x\":48,\"y\":0,\"s\":\"Zoé\"}"), std::string::npos);
    // The file the program left open is closed, its line written (CR LF, UTF-8).
    std::ifstream written(scratch.path() / "SORTIE.TXT", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(written)), {});
    EXPECT_EQ(content, "Zoé\r\n");
    const std::string state = s.state();
    EXPECT_NE(state.find("\"words\":\"Terminé\""), std::string::npos) << state;
    EXPECT_NE(state.find("\"name\":\"N\",\"type\":\"Chaîne\",\"array\":false,\"values\":[\"Zoé\"]"), std::string::npos)
        << state;
}

TEST(PageSession, StopsSayWhyAndWhereTheHelpIs) {
    Session s;
    // Breakpoints that name no line, or no number, are ignored; line 4 stops the run.
    s.setProgram("PROGRAM T;\nVAR I: INTEGER;\nBEGIN\n  I := 2;\n  I := I \\ 0;\nEND.", "x,4,,99999999999,-1");
    EXPECT_EQ(s.start(false), zef::StatusStop);
    std::string state = s.state();
    EXPECT_NE(state.find("\"line\":4"), std::string::npos) << state;
    EXPECT_NE(state.find("(point d'arrêt)"), std::string::npos) << state;
    EXPECT_NE(state.find("\"errors\":[]"), std::string::npos) << state;
    // Continued: the division by zero has no message of its own; its reason is the error,
    // with the help entry named after it.
    EXPECT_EQ(s.resume(false), zef::StatusStop);
    state = s.state();
    EXPECT_NE(state.find("\"onError\":true"), std::string::npos) << state;
    EXPECT_NE(state.find("division par zéro\",\"help\":\"messages.html#"), std::string::npos) << state;
    EXPECT_NE(state.find("\"words\":\"Arrêté ligne 5 : division par zéro\""), std::string::npos) << state;
    // A stop asked while the run waits for a line ends it at the READ, with its message.
    s.setProgram("PROGRAM T;\nVAR N: STRING;\nBEGIN\n  READLN(N);\nEND.", "");
    EXPECT_EQ(s.start(false), zef::StatusWaitingForUser);
    s.interrupt();
    EXPECT_EQ(s.resume(false), zef::StatusStop);
    EXPECT_NE(s.state().find("\"message\":\"Exécution interrompue\""), std::string::npos) << s.state();
}

TEST(PageSession, ColoursCountLinesAsTheColourRulesDo) {
    Session s;
    // A brace comment across two lines is one run, counted with CR LF line ends: the page
    // maps those positions back to its own. Quotes and backslashes travel escaped.
    const std::string runs = s.colours("BEGIN\n{ un\ndeux }\nEND.");
    EXPECT_NE(runs.find("0,5,#"), std::string::npos) << runs;   // BEGIN
    EXPECT_NE(runs.find("7,12,#"), std::string::npos) << runs;  // "{ un" CR LF "deux }"
    EXPECT_NE(runs.find("21,4,#"), std::string::npos) << runs;  // END.
    zef::web::Json json;
    json.open('{');
    json.field("s", std::string_view("a\"b\\c\n\x01"));
    json.close('}');
    EXPECT_EQ(json.take(), "{\"s\":\"a\\\"b\\\\c\\n\\u0001\"}");
}
