#include "recording_platform.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zef;
using namespace zef::testing;

TEST(Driver, NormalEndLeavesTheLineOnTheMainBegin) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  I := I + 1;", "END."}), 0);
    EXPECT_EQ(h.line, 2);
    EXPECT_EQ(h.screen.caption, "ZuzOvozov - TEST.PAS");
    // Continuing from there runs the main program again with the current values.
    EXPECT_EQ(h.exec(h.line), 0);
    EXPECT_EQ(h.interpreter->LitValeur(1, SymbolKind::Integer).i, 2);
    // A continued run past the last line ends at once.
    EXPECT_EQ(h.exec(99), 0);
}

TEST(Driver, SingleStepStopsAfterEveryStatementAnd998BeforeATerminator) {
    Harness h;
    h.load({"PROGRAM T;",         // 0
            "VAR I, S: INTEGER;", // 1
            "BEGIN",              // 2
            "  FOR I:=1 TO 2 DO", // 3
            "    S := S + I;",    // 4
            "  WRITELN(S);",      // 5
            "END."});             // 6
    std::vector<std::pair<int, int>> stops; // (status, next line)
    std::int32_t status = h.exec(0, true);
    stops.push_back({status, h.line});
    while (status > 0 && stops.size() < 20) {
        status = h.exec(h.line, true);
        stops.push_back({status, h.line});
    }
    // BEGIN, FOR, body, NEXT (line 5 runs as NEXT while the loop goes on), body, NEXT, ...
    const std::vector<std::pair<int, int>> expected = {
        {1, 3}, {1, 4}, {998, 5}, {1, 4}, {998, 5}, {1, 5}, {1, 6}, {1, 7}, {0, 7}};
    EXPECT_EQ(stops, expected);
    EXPECT_EQ(h.screen.text(), "3\n");
}

TEST(Driver, BreakpointsStopBeforeTheMarkedLineButNotWhereARunResumes) {
    Harness h;
    h.load({"PROGRAM T;", "BEGIN", "  WRITE('a');", "»  WRITE('b');", "  WRITE('c');", "END."});
    EXPECT_EQ(h.exec(), 1);
    EXPECT_EQ(h.line, 3);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.exec(h.line), 0);
    EXPECT_EQ(h.screen.text(), "abc\n");
    // A marked main BEGIN stops a fresh run before anything runs.
    h.load({"PROGRAM T;", "»BEGIN", "  WRITE('a');", "END."});
    EXPECT_EQ(h.exec(), 1);
    EXPECT_EQ(h.line, 1);
    // Markers are not part of the program: a marked BEGIN still opens a body.
    h.interpreter->setBreakpointsEnabled(false);
    EXPECT_EQ(h.run({"PROGRAM T;", "PROCEDURE P;", "»BEGIN", "  WRITE('p');", "END;",
                     "»BEGIN", "  P;", "END."}),
              0);
}

// A breakpoint stops before its line's own statement, each time it is about to run, and
// never where the line is only reached to run a FOR's NEXT or a procedure's ENDSUB; a
// WHILE's closing line stops for each pass it closes. Apart from the stops, the run does
// what it does without markers, on the fast forms and on the text path alike.
TEST(Driver, BreakpointsStopOnlyWhereTheirLineRunsAsItself) {
    const std::vector<std::string> program = {
        "PROGRAM T;",          // 0
        "VAR I, K: INTEGER;",  // 1
        "PROCEDURE P;",        // 2
        "BEGIN",               // 3
        "  WRITE('p');",       // 4
        "END;",                // 5
        "»BEGIN",              // 6  main BEGIN, and where each call of P returns
        "  FOR I:=1 TO 3 DO",  // 7
        "  BEGIN",             // 8
        "    WRITE(I);",       // 9
        "  END;",              // 10
        "»  P;",               // 11 after the FOR body: its NEXT runs here on every pass
        "  P;",                // 12
        "  WHILE K<2 DO",      // 13
        "  BEGIN",             // 14
        "    K := K + 1;",     // 15
        "  END;",              // 16
        "»  WEND;",            // 17 the WHILE's closing line
        "  FOR I:=3 DOWNTO 1 DO", // 18
        "    WRITE(I);",       // 19
        "»  WRITE('f');",      // 20 after a one-line FOR body
        "END."};               // 21
    for (const bool fast : {true, false}) {
        Harness h;
        h.workings().setFastForms(fast);
        h.load(program);
        std::vector<int> stops;
        std::int32_t status = h.exec();
        while (status == 1 && h.messages.messages.empty() && stops.size() < 20) {
            stops.push_back(h.line);
            status = h.exec(h.line);
        }
        EXPECT_EQ(status, 0) << "fast forms " << fast;
        EXPECT_EQ(stops, (std::vector<int>{6, 11, 17, 17, 20})) << "fast forms " << fast;
        Harness plain;
        std::vector<std::string> unmarked = program;
        for (auto& l : unmarked)
            if (l.rfind("»", 0) == 0) l.erase(0, std::string("»").size());
        EXPECT_EQ(plain.run(unmarked), 0);
        EXPECT_EQ(h.screen.text(), plain.screen.text()) << "fast forms " << fast;
        EXPECT_EQ(h.screen.text(), "123pp321f\n");
    }
}

// A run continued from a single step that stopped where a FOR's NEXT runs: on the last pass
// that NEXT ends the loop, and the same line then comes to run as itself, which is a new
// occasion for its breakpoint. The continued run stops there before writing 'f'; only the
// run continued from that stop writes it.
TEST(Driver, AContinuedRunStopsAtItsFirstLineWhenItComesBackToItAsItself) {
    for (const bool fast : {true, false}) {
        Harness h;
        h.workings().setFastForms(fast);
        h.load({"PROGRAM T;",         // 0
                "VAR I: INTEGER;",    // 1
                "BEGIN",              // 2
                "  FOR I:=1 TO 2 DO", // 3
                "    WRITE(I);",      // 4
                "»  WRITE('f');",     // 5 after the FOR body, marked
                "END."});             // 6
        std::vector<std::pair<int, int>> steps; // (status, line) of each step
        std::int32_t status = h.exec(0, true);
        steps.push_back({status, h.line});
        while (steps.size() < 5) {
            status = h.exec(h.line, true);
            steps.push_back({status, h.line});
        }
        // The fifth step ends the second pass: the next statement is the NEXT that ends it.
        EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 3}, {1, 4}, {998, 5}, {1, 4}, {998, 5}}))
            << "fast forms " << fast;
        EXPECT_EQ(h.exec(h.line), 1) << "fast forms " << fast;
        EXPECT_EQ(h.line, 5) << "fast forms " << fast;
        EXPECT_EQ(h.screen.text(), "12\n") << "fast forms " << fast;
        EXPECT_EQ(h.exec(h.line), 0) << "fast forms " << fast;
        EXPECT_EQ(h.screen.text(), "12f\n") << "fast forms " << fast;
        EXPECT_TRUE(h.messages.messages.empty()) << "fast forms " << fast;
    }
}

TEST(Driver, APollAnswerInterruptsTheRunAtTheLineReached) {
    Harness h;
    h.poll.stopAfter = 3;
    EXPECT_EQ(h.run({"PROGRAM T;", "BEGIN", "Boucle:", "  GOTO Boucle;", "END."}), 1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Exécution interrompue"});
    EXPECT_TRUE(h.line == 2 || h.line == 3);
}

// The IDE handles its events while a run polls: a name looked up in the inspection window
// then, even one that is not declared, leaves the run going as it was.
TEST(Driver, ALookupWhileTheRunPollsLeavesTheRunGoing) {
    Harness h;
    int lookups = 0;
    h.poll.onPoll = [&] {
        std::string name = "Inconnu";
        SymbolKind kind = SymbolKind::None;
        std::int32_t index = 0;
        h.interpreter->ChercheEtiq(name, kind, index);
        ++lookups;
    };
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR I, S: INTEGER;", "BEGIN", "  FOR I:=1 TO 10000 DO", "    S := S + I;",
                     "  WRITELN(S);", "END."}),
              0);
    EXPECT_GT(lookups, 1);
    EXPECT_TRUE(h.messages.messages.empty());
    EXPECT_EQ(h.interpreter->LitValeur(2, SymbolKind::Integer).i, 50005000);
}

// A page cannot block on READLN and must see its messages: its runs end their call while
// waiting for a line and after each slice, and continue. Continued, they do exactly what a
// run that waits does, breakpoints and single steps included.
TEST(Driver, ARunThatWaitsOrPausesGoesOnAsOneThatBlocks) {
    const std::vector<std::string> program = {
        "PROGRAM T;", "VAR I, S: INTEGER;", "VAR N: STRING;", "BEGIN",       // 0-3
        "  FOR I:=1 TO 3000 DO", "    S := S + I;",                         // 4-5
        "  SHOWMESSAGE 'Nom ?';", "  READLN(N);",                           // 6-7
        "  WRITELN(N);", "  FOR I:=1 TO 3000 DO", "»    S := S - 1;",        // 8-10
        "  WRITELN(S);", "END."};                                           // 11-12
    Harness blocking, slicing;
    for (Harness* h : {&blocking, &slicing}) h->load(program);
    blocking.screen.input = {"Ada"};
    blocking.interpreter->setBreakpointsEnabled(false);
    slicing.interpreter->setBreakpointsEnabled(false);
    EXPECT_EQ(blocking.exec(), 0);

    slicing.screen.cannotWait = true;
    slicing.poll.pauseAtEachPoll = true;
    int pauses = 0, waits = 0;
    std::int32_t status = slicing.exec();
    for (int calls = 0; status != 0 && calls < 100; ++calls) {
        if (status == StatusPaused) ++pauses;
        if (status == StatusWaitingForUser) {
            ++waits;
            // First the box, once and then closed; then the line, looked for twice.
            EXPECT_EQ(slicing.line, waits == 1 ? 6 : 7);
            EXPECT_EQ(slicing.screen.shown.size(), waits == 1 ? 0u : 1u);
            if (waits == 3) slicing.screen.input = {"Ada"};
        }
        status = slicing.exec(slicing.line);
    }
    EXPECT_EQ(status, 0);
    EXPECT_EQ(waits, 3);
    EXPECT_GE(pauses, 2); // at least one slice before the line and one after
    EXPECT_EQ(slicing.screen.text(), blocking.screen.text());
    EXPECT_EQ(slicing.interpreter->statementsRun(), blocking.interpreter->statementsRun());
    EXPECT_FALSE(slicing.interpreter->stoppedOnError());
    EXPECT_TRUE(slicing.messages.messages.empty());

    // Waiting in step mode: the step that follows the line reads it and stops after it.
    Harness stepping;
    stepping.load(program);
    stepping.screen.cannotWait = true;
    stepping.interpreter->setBreakpointsEnabled(false);
    EXPECT_EQ(stepping.exec(), StatusWaitingForUser);
    EXPECT_EQ(stepping.exec(stepping.line), StatusWaitingForUser); // the box closed; the line
    stepping.screen.input = {"Bo"};
    EXPECT_EQ(stepping.exec(stepping.line, true), 1);
    EXPECT_EQ(stepping.line, 8);
    EXPECT_EQ(stepping.screen.text(), "Bo\n");

    // With breakpoints, pauses do not hide nor repeat a stop: one per pass of the loop.
    Harness marked;
    marked.load(program);
    marked.screen.input = {"Ada"};
    marked.poll.pauseAtEachPoll = true;
    int stops = 0;
    status = marked.exec();
    for (int calls = 0; status != 0 && calls < 10000; ++calls) {
        if (status == StatusStop) ++stops;
        status = marked.exec(marked.line);
    }
    EXPECT_EQ(stops, 3000);
    EXPECT_EQ(marked.screen.text(), blocking.screen.text());

    // A stop asked between two slices names a line of the loop that ran, as one asked in
    // the middle of a slice does, never the line where the loop's closing word resumes.
    Harness endless;
    endless.poll.pauseAtEachPoll = true;
    EXPECT_EQ(endless.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  WHILE 1 = 1 DO", "    I := I + 1;",
                           "  WEND;", "END."}),
              StatusPaused);
    endless.poll.stopAsked = true;
    EXPECT_EQ(endless.exec(endless.line), 1);
    EXPECT_EQ(endless.messages.messages, std::vector<std::string>{"Exécution interrompue"});
    const std::int32_t stoppedAt = endless.interpreter->currentLine();
    EXPECT_TRUE(stoppedAt == 3 || stoppedAt == 4) << stoppedAt;
}

TEST(Driver, ProceduresCallReturnAndRecurse) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;",
                     "VAR N: INTEGER;",
                     "PROCEDURE Compte;",
                     "BEGIN",
                     "  WRITE(N);",
                     "  N := N - 1;",
                     "  IF N = 0 THEN",
                     "    EXIT;",
                     "  Compte;",
                     "END;",
                     "PROCEDURE Deux;",
                     "  WRITE('-');",
                     "BEGIN",
                     "  N := 3;",
                     "  CALL Compte;",
                     "  deux;",
                     "  Deux",
                     "END."}),
              0);
    EXPECT_EQ(h.screen.text(), "321--\n");
    EXPECT_EQ(h.interpreter->valueTop(), 0);
    EXPECT_EQ(h.interpreter->blockTop(), 0);
}

TEST(Driver, StackLimits) {
    // Each active call takes one block entry: the 31st is refused.
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR N: INTEGER;", "PROCEDURE P;", "BEGIN", "  N := N + 1;",
                     "  P;", "END;", "BEGIN", "  P;", "END."}),
              1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Pile saturée"});
    EXPECT_EQ(h.interpreter->LitValeur(1, SymbolKind::Integer).i, 30);
    EXPECT_EQ(h.line, 5);

    Harness v;
    v.run({"PROGRAM T;", "BEGIN", "END."});
    for (int i = 0; i < 100; ++i) v.workings().PushValue(i);
    EXPECT_EQ(v.interpreter->runStatus(), 0);
    // The 101st push leaves the statement with the stack as it was.
    EXPECT_THROW(v.workings().PushValue(100), StatementStopped);
    EXPECT_EQ(v.interpreter->runStatus(), 1);
    EXPECT_EQ(v.messages.messages, std::vector<std::string>{"Pile saturée"});
    EXPECT_EQ(v.interpreter->valueTop(), 100);
    EXPECT_EQ(v.interpreter->valueAt(100), 99);
}

TEST(Driver, DispatcherOddities) {
    Harness h;
    // A word beginning with END counts as END: ENDING := 1 assigns nothing, and the
    // extra END then has no BEGIN.
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR ENDING: INTEGER;", "BEGIN", "  NOP;", "  VARIABLE := 1;",
                     "  { commentaire", "  ENDING := 1;", "  ENDING := 1;", "END."}),
              1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"END sans BEGIN"});
    EXPECT_EQ(h.line, 7);
    EXPECT_EQ(h.interpreter->LitValeur(1, SymbolKind::Integer).i, 0);

    // A label written with ";" is a label for the pre-pass but an assignment when run.
    Harness l;
    EXPECT_EQ(l.run({"PROGRAM T;", "BEGIN", "Ici:;", "END."}), 1);
    EXPECT_EQ(l.messages.messages, std::vector<std::string>{"Identificateur inconnu"});
}

TEST(Driver, CallsJumpsAndReturnsReportTheirErrors) {
    struct Case {
        std::vector<std::string> body;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"  CALL Rien;"}, "Procedure non trouvée"},
        {{"  CALL Ici;"}, "Procedure non trouvée"},
        {{"  GOTO Ailleurs;"}, "Etiquette non trouvée"},
        {{"  EXIT;"}, "Bloc FOR/WHILE/REPEAT en cours"},
        {{"  ENDSUB"}, "Pile vide"},
    };
    for (const auto& c : cases) {
        Harness h;
        std::vector<std::string> lines = {"PROGRAM T;", "BEGIN", "Ici:"};
        lines.insert(lines.end(), c.body.begin(), c.body.end());
        lines.push_back("END.");
        EXPECT_EQ(h.run(lines), 1) << c.message;
        EXPECT_EQ(h.messages.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(h.line, 3);
    }
    // A procedure whose BEGIN has no END, and one declared on the last line.
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "PROCEDURE P;", "BEGIN", "  WRITE(1);", "BEGIN", "  P;", "END."}), 1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"BEGIN sans END"});
    EXPECT_EQ(h.line, 1); // the heading of the procedure whose body has no end
    EXPECT_EQ(h.interpreter->valueTop(), 0);
}

TEST(Driver, GotoLeavesTheStacksAsTheyAre) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO 5 DO",
                     "    GOTO Dehors;", "Dehors:", "END."}),
              0);
    EXPECT_EQ(h.interpreter->valueTop(), 4);
    EXPECT_EQ(h.interpreter->blockTop(), 1);
}

TEST(Driver, AStepThatLeavesTheProgramIsReportedOnePastTheLastLine) {
    // The false WHILE skips its body (the END. line) and the closing line after it, which
    // does not exist.
    Harness h;
    h.load({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  WHILE I > 100 DO", "END."});
    EXPECT_EQ(h.exec(0, true), 1);
    EXPECT_EQ(h.line, 3);
    EXPECT_EQ(h.exec(h.line, true), 1);
    EXPECT_EQ(h.line, 5);
    EXPECT_EQ(h.exec(h.line, true), 0);
    EXPECT_TRUE(h.messages.messages.empty());
}

TEST(Driver, LoopsNestedTooDeepLeaveNoHalfFrame) {
    // Thirty REPEATs fill the block stack; the loop after them is refused and its values
    // are not left on the value stack.
    for (const std::string loop : {"  FOR I:=1 TO 2 DO", "  WHILE I < 2 DO", "  REPEAT"}) {
        Harness h;
        std::vector<std::string> lines = {"PROGRAM T;", "VAR I: INTEGER;", "BEGIN"};
        for (int i = 0; i < 30; ++i) lines.push_back("  REPEAT");
        lines.push_back(loop);
        lines.push_back("    I := I + 1;");
        lines.push_back("END.");
        EXPECT_EQ(h.run(lines), 1) << loop;
        EXPECT_EQ(h.messages.messages, std::vector<std::string>{"Pile saturée"}) << loop;
        EXPECT_EQ(h.line, 33) << loop;
        EXPECT_EQ(h.interpreter->valueTop(), 30) << loop;
        EXPECT_EQ(h.interpreter->blockTop(), 30) << loop;
    }
}

// A stop leaves the stacks as the statement left them, for the views that show them and
// for a run continued after it: a WHILE whose body has no END keeps its line on the value
// stack; an UNTIL whose condition cannot be read has taken its REPEAT's line off; a BREAK
// out of a REPEAT whose line is gone takes the REPEAT's block off before it stops.
TEST(Driver, AStopLeavesTheStacksAsTheStatementLeftThem) {
    Harness h;
    EXPECT_EQ(h.run({"PROGRAM T;", "VAR I: INTEGER;", "{ saut }", "Boucle:", "  WHILE I < 1 DO", "  BEGIN",
                     "  BEGIN", "  GOTO Boucle;", "END."}),
              1);
    EXPECT_EQ(h.messages.messages, std::vector<std::string>{"BEGIN sans END"});
    EXPECT_EQ(h.line, 4);
    EXPECT_EQ(h.interpreter->valueTop(), 1);
    EXPECT_EQ(h.interpreter->valueAt(1), 4);

    Harness u;
    EXPECT_EQ(u.run({"PROGRAM T;", "BEGIN", "  REPEAT", "  UNTIL Inconnu = 1;", "END."}), 1);
    EXPECT_EQ(u.messages.messages.size(), 1u);
    EXPECT_EQ(u.line, 3);
    EXPECT_EQ(u.interpreter->valueTop(), 0);
    EXPECT_EQ(u.interpreter->blockTop(), 1);

    // NEXT without its FOR takes the REPEAT's line, as the first of the four it looks for.
    Harness b;
    b.load({"PROGRAM T;", "BEGIN", "  REPEAT", "  NEXT;", "  BREAK;", "END."});
    EXPECT_EQ(b.exec(), 1);
    EXPECT_EQ(b.line, 3);
    EXPECT_EQ(b.interpreter->blockTop(), 1);
    EXPECT_EQ(b.exec(4), 1);
    EXPECT_EQ(b.messages.messages.back(), "Pile vide");
    EXPECT_EQ(b.line, 4);
    EXPECT_EQ(b.interpreter->blockTop(), 0);
}

TEST(Driver, LinesTakenFromAnotherFrameLeadOutOfTheProgram) {
    // The WEND and UNTIL below pop a FOR frame's values as if they were lines: the limits
    // are the extreme integers, which must not overflow the line arithmetic.
    Harness low;
    EXPECT_EQ(low.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO -2147483648 DO",
                       "    GOTO X;", "X:", "  UNTIL 1 = 1;", "  WEND;", "END."}),
              0);
    EXPECT_TRUE(low.messages.messages.empty());
    Harness high;
    EXPECT_EQ(high.run({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO 2147483647 DO",
                        "    GOTO X;", "X:", "  UNTIL 1 = 1;", "  UNTIL 1 = 0;", "END."}),
              0);
    EXPECT_TRUE(high.messages.messages.empty());
    // Stepped, such a jump is reported one past the last line.
    Harness step;
    step.load({"PROGRAM T;", "VAR I: INTEGER;", "BEGIN", "  FOR I:=1 TO 2147483647 DO",
               "    GOTO X;", "X:", "  UNTIL 1 = 1;", "  UNTIL 1 = 0;", "END."});
    std::int32_t status = step.exec(0, true);
    for (int i = 0; i < 10 && status > 0; ++i) {
        ASSERT_LE(step.line, 9);
        status = step.exec(step.line, true);
    }
    EXPECT_EQ(status, 0);
}

TEST(Driver, AFreshRunSaysWhenTheLastRunsFileCouldNotBeWritten) {
    // The first run ends with its file open (lines still buffered, for a full disk); the
    // next fresh run closes it, is told the lines are lost and says so instead of running.
    Harness h;
    const std::vector<std::string> program = {"PROGRAM T;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'/dev/full');",
                                              "  REWRITE(F);", "  WRITELN(F,'perdu');", "  WRITE('x');", "END."};
    EXPECT_EQ(h.run(program), 0);
    EXPECT_THROW(
        {
            try {
                h.run(program);
            } catch (const RunAbandoned& e) {
                EXPECT_STREQ(e.what(), "Erreur E/S 29");
                throw;
            }
        },
        RunAbandoned);
    // Said once: the file is closed now, and the run after goes as usual.
    EXPECT_EQ(h.run(program), 0);
    const std::string shown = h.screen.text();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 'x'), 2); // the abandoned run wrote nothing
}
