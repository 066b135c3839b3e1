// What a hostile or mistaken program meets at the interpreter's edges: names that hide a
// NUL byte, a declaration list longer than the symbol table, and an interrupt that must be
// honoured at once, wherever the run is.
#include "recording_platform.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace zef;
using namespace zef::testing;
namespace fs = std::filesystem;

namespace {

// Interrupts once the run has asked a given number of times.
class InterruptAfter : public PollHook {
public:
    explicit InterruptAfter(int asks) : left(asks) {}
    bool poll() override { return false; }
    bool interruptPending() override { return --left < 0; }
    int left;
};

} // namespace

TEST(Limits, ANameHidingANulByteActsOnNoFile) {
    const ScratchFolder dir("zef-nul");
    const CurrentFolder inside(dir.path());
    std::ofstream("notes.txt") << "garde";
    const std::vector<std::pair<std::string, std::string>> statements = {
        {"DELETEFILE S;", "Fichier notes.txt"},
        {"MKDIR S;", "Répertoire notes.txt"},
        {"REWRITE(F);", "Erreur Entrée/Sortie"},
    };
    for (const auto& [statement, message] : statements) {
        Harness h;
        EXPECT_EQ(h.run({"PROGRAM N;", "VAR F: TEXTFILE;", "VAR S, Z: STRING;", "BEGIN", "Z := CHR(0);",
                         "S := 'notes.txt' + Z;", "S := S + '.bak';", "ASSIGN(F,S);", statement, "END."}),
                  StatusStop)
            << statement;
        ASSERT_EQ(h.messages.messages.size(), 1u) << statement;
        EXPECT_EQ(h.messages.messages[0].rfind(message, 0), 0u) << h.messages.messages[0];
        EXPECT_EQ(h.line, 8);
    }
    std::ifstream in("notes.txt");
    std::string kept;
    in >> kept;
    EXPECT_EQ(kept, "garde");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST(Limits, AFullSymbolTableIsReportedOnce) {
    std::string names = "VAR A0";
    for (int i = 1; i < 3000; ++i) names += ", A" + std::to_string(i);
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM P;", names + ": INTEGER;", "BEGIN", "END."}), StatusStop);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Table des symboles saturée"});
}

TEST(Limits, AnInterruptIsHonouredAtOnceAndNamesTheLineThatRan) {
    const std::vector<std::string> program = {"PROGRAM F;", "VAR I, J: INTEGER;", "BEGIN",
                                              "FOR I:=1 TO 1000 DO", "J := J + I;", "END."};
    // During the pre-pass, in a program far shorter than the polling interval.
    Harness early;
    InterruptAfter now(0);
    early.platform.poll = &now;
    early.interpreter = std::make_unique<Interpreter>(early.platform);
    EXPECT_EQ(early.run(program), StatusStop);
    EXPECT_EQ(early.messages.messages, std::vector<std::string>{"Exécution interrompue"});
    // Inside a loop whose body is its last line, the line reported is the loop's, never the
    // END. where its terminator runs; every point of the loop is tried.
    for (int asks = 8; asks < 16; ++asks) {
        Harness h;
        InterruptAfter later(asks);
        h.platform.poll = &later;
        h.interpreter = std::make_unique<Interpreter>(h.platform);
        EXPECT_EQ(h.run(program), StatusStop);
        EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Exécution interrompue"});
        EXPECT_TRUE(h.interpreter->currentLine() == 3 || h.interpreter->currentLine() == 4)
            << asks << " " << h.interpreter->currentLine();
    }
}
