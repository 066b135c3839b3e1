// One program on one case through the real zefrun: every verdict from a small program made
// to produce it, the bounds, and the confinement that keeps a graded program inside its
// scratch folder.
#include "confinement.h"
#include "grader.h"
#include "runner.h"

#include "grading_support.h"

#include <gtest/gtest.h>

using namespace zef;
using namespace grading_test;

namespace {

RunSettings testSettings(const fs::path& scratchParent) {
    RunSettings settings;
    settings.zefrun = ZEF_ZEFRUN;
    settings.scratchParent = scratchParent;
    // Where the kernel cannot confine, the tests that need it skip; the others run as
    // zefcorrige --sans-isolation would.
    settings.confine = landlockAbi() > 0;
    return settings;
}

// One exercise of one case, made of its files.
Exercise oneCase(const TempDir& dir, const std::string& input, const std::string& expected,
                 const std::string& arguments = "") {
    writeFile(dir / "essais" / "essai.in", input);
    writeFile(dir / "essais" / "essai.out", expected);
    if (!arguments.empty()) writeFile(dir / "essais" / "essai.args", arguments);
    std::string reason;
    std::optional<Exercise> exercise = findCases(dir / "essais", reason);
    EXPECT_TRUE(exercise) << reason;
    return exercise.value_or(Exercise{});
}

// What is left in the folder where the runs' scratch folders are made.
std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(Runs, EachVerdictFromAProgramMadeForIt) {
    TempDir dir;
    const fs::path scratch = dir / "scratch";
    fs::create_directories(scratch);
    RunSettings settings = testSettings(scratch);
    const Exercise exercise = oneCase(dir, "3\n", "Nombre ? 3\n3\n6\n", "deux");
    const TestCase& testCase = exercise.cases.at(0);
    auto run = [&](const std::string& name, const std::vector<std::string>& lines) {
        writeProgram(dir / name, lines);
        return runCase(dir / name, exercise, testCase, settings);
    };

    // The parameters and the input reach the program; its echo of the input is part of its output.
    const CaseResult passed = run("juste.pas", {"PROGRAM Juste;", "VAR N, D: INTEGER;", "VAR S: STRING;",
                                                "BEGIN", "  WRITE('Nombre ? ');", "  READLN(N);",
                                                "  WRITELN(N);", "  S := PARAMSTR(1);", "  IF S = 'deux' THEN",
                                                "  BEGIN", "    D := N * 2;", "    WRITELN(D);", "  END;", "END."});
    EXPECT_EQ(passed.verdict, Verdict::Passed) << verdictText(passed);
    EXPECT_EQ(verdictText(passed), "Réussi");
    EXPECT_EQ(passed.caseName, "essai");

    const CaseResult wrong = run("faux.pas", {"PROGRAM Faux;", "VAR N, D: INTEGER;", "BEGIN", "  WRITE('Nombre ? ');",
                                              "  READLN(N);", "  WRITELN(N);", "  D := N * 3;", "  WRITELN(D);", "END."});
    EXPECT_EQ(wrong.verdict, Verdict::WrongOutput);
    EXPECT_EQ(wrong.difference.line, 3);
    EXPECT_EQ(wrong.difference.expected, "6");
    EXPECT_EQ(wrong.difference.obtained, "9");
    EXPECT_EQ(verdictText(wrong), "Sortie différente ligne 3 : attendu « 6 », obtenu « 9 »");

    const CaseResult error = run("erreur.pas", {"PROGRAM Erreur;", "VAR N: INTEGER;", "BEGIN", "  READLN(N);",
                                                "  N := INCONNU;", "  WRITELN(N);", "END."});
    EXPECT_EQ(error.verdict, Verdict::Error);
    EXPECT_EQ(error.line, 5);
    EXPECT_FALSE(error.message.empty());
    EXPECT_EQ(verdictText(error), "Erreur ligne 5 : " + error.message);

    // A stop without a message is judged by its reason, the words of the stop left out.
    const CaseResult silent = run("muet.pas", {"PROGRAM Muet;", "VAR N: INTEGER;", "BEGIN", "  READLN(N);",
                                               "  N := N \\ 0;", "END."});
    EXPECT_EQ(silent.verdict, Verdict::Error);
    EXPECT_EQ(silent.line, 5);
    EXPECT_EQ(verdictText(silent), "Erreur ligne 5 : division par zéro"); // as the help's page of messages has it

    const CaseResult exhausted = run("avide.pas", {"PROGRAM Avide;", "VAR N: INTEGER;", "BEGIN", "  READLN(N);",
                                                   "  READLN(N);", "END."});
    EXPECT_EQ(exhausted.verdict, Verdict::InputExhausted);
    EXPECT_EQ(exhausted.line, 5);
    EXPECT_EQ(verdictText(exhausted), "Entrée épuisée");

    const std::vector<std::string> endless = {"PROGRAM Boucle;", "VAR I: INTEGER;", "BEGIN", "  I := 0;",
                                              "  WHILE I < 1 DO", "  BEGIN", "    WRITELN('encore');", "  END;",
                                              "  WEND;", "END."};
    settings.limits.statements = 200000;
    const CaseResult tooLong = run("boucle.pas", endless);
    EXPECT_EQ(tooLong.verdict, Verdict::TooLong);
    // Stopped inside its loop (lines 5 to 9), at the line it says.
    EXPECT_GE(tooLong.line, 5);
    EXPECT_LE(tooLong.line, 9);
    EXPECT_NE(verdictText(tooLong).find("ligne " + std::to_string(tooLong.line)), std::string::npos)
        << verdictText(tooLong);

    settings.limits.statements = 50'000'000'000ull;
    settings.limits.outputBytes = 4096;
    const CaseResult tooMuch = run("boucle.pas", endless);
    EXPECT_EQ(tooMuch.verdict, Verdict::OutputTooLong);
    EXPECT_EQ(verdictText(tooMuch), "Sortie trop longue");
    EXPECT_LE(tooMuch.obtained.size(), 4096u);
    EXPECT_GT(tooMuch.obtained.size(), 4000u);

    // A run that cannot start is no verdict on the program.
    settings.zefrun = dir / "absent" / "zefrun";
    const CaseResult notRun = run("juste.pas", {"PROGRAM Juste;", "BEGIN", "END."});
    EXPECT_EQ(notRun.verdict, Verdict::NotRun);
    EXPECT_EQ(verdictText(notRun).rfind("Exécution impossible : ", 0), 0u) << verdictText(notRun);

    // Every scratch folder went with its run.
    EXPECT_EQ(entriesIn(scratch), 0u);
}

TEST(Runs, TheCpuBoundStopsWhatTheStatementBoundWouldLetRun) {
    TempDir dir;
    RunSettings settings = testSettings(dir.path);
    settings.limits.statements = 50'000'000'000ull; // far more than a second of work
    settings.limits.cpuSeconds = 1;
    const Exercise exercise = oneCase(dir, "", "fini\n");
    writeProgram(dir / "long.pas", {"PROGRAM Long;", "VAR I: INTEGER;", "BEGIN", "  I := 0;", "  WHILE I < 1 DO",
                                    "  BEGIN", "    I := I * 1;", "  END;", "  WEND;", "  WRITELN('fini');", "END."});
    const RunOutcome run = runProgram(dir / "long.pas", exercise, exercise.cases.at(0), settings);
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, zefrun_status::CpuLimit) << run.errors;
    EXPECT_EQ(judge(run, "fini\n", false).verdict, Verdict::TooLong);
}

TEST(Runs, TheStatementBoundCountsWork) {
    // The same loop, 1000 passes and endless: the bound lets the finite one end and stops
    // the other once it has run about as many statements as allowed.
    TempDir dir;
    RunSettings settings = testSettings(dir.path);
    settings.limits.statements = 100000;
    const Exercise exercise = oneCase(dir, "", "1000\n");
    auto loop = [&](const std::string& name, const std::string& limit) {
        writeProgram(dir / name, {"PROGRAM Compte;", "VAR I: INTEGER;", "BEGIN", "  I := 0;",
                                  "  WHILE I < " + limit + " DO", "  BEGIN", "    I := I + 1;", "  END;", "  WEND;",
                                  "  WRITELN(I);", "END."});
        return runCase(dir / name, exercise, exercise.cases.at(0), settings);
    };
    EXPECT_EQ(loop("fini.pas", "1000").verdict, Verdict::Passed);
    EXPECT_EQ(loop("long.pas", "1000000").verdict, Verdict::TooLong);
    settings.limits.statements = 10'000'000;
    const CaseResult allowed = loop("long.pas", "1000000");
    EXPECT_EQ(allowed.verdict, Verdict::WrongOutput) << "a million passes fit in ten million statements";
    EXPECT_EQ(allowed.difference.obtained, "1000000");
}

TEST(Runs, TheDataFilesAreCopiedIntoEachRunsOwnFolder) {
    TempDir dir;
    const RunSettings settings = testSettings(dir.path);
    writeFile(dir / "essais" / "fichiers" / "noms.txt", "Alice\r\nBob\r\n");
    writeFile(dir / "essais" / "fichiers" / "sous" / "autre.txt", "x\r\n");
    writeFile(dir / "essais" / "un.out", "Alice\n");
    writeFile(dir / "essais" / "deux.out", "Alice\n");
    std::string reason;
    const std::optional<Exercise> exercise = findCases(dir / "essais", reason);
    ASSERT_TRUE(exercise) << reason;
    // The program reads the data file, then overwrites it: the next run finds it whole.
    writeProgram(dir / "lit.pas", {"PROGRAM Lit;", "VAR F: TEXTFILE;", "VAR S: STRING;", "BEGIN",
                                   "  ASSIGN(F,'noms.txt');", "  RESET(F);", "  READLN(F,S);", "  CLOSE(F);",
                                   "  WRITELN(S);", "  REWRITE(F);", "  WRITELN(F,'abîmé');", "  CLOSE(F);", "END."});
    for (const TestCase& testCase : exercise->cases)
        EXPECT_EQ(runCase(dir / "lit.pas", *exercise, testCase, settings).verdict, Verdict::Passed) << testCase.name;
    EXPECT_EQ(readFile(dir / "essais" / "fichiers" / "noms.txt"), "Alice\r\nBob\r\n");
}

TEST(Runs, AConfinedProgramChangesNothingOutsideItsFolder) {
    if (landlockAbi() == 0)
        GTEST_SKIP() << "the kernel offers no Landlock: confinement cannot be shown on this machine";
    TempDir dir;
    RunSettings settings = testSettings(dir / "scratch");
    fs::create_directories(settings.scratchParent);
    const Exercise exercise = oneCase(dir, "", "ici\n");
    const TestCase& testCase = exercise.cases.at(0);
    const fs::path victim = dir / "precieux.txt", secret = dir / "secret.txt", planted = dir / "plante.txt";
    writeFile(victim, "à garder\n");
    writeFile(secret, "réponse\n");
    auto program = [&](const std::string& name, const std::vector<std::string>& body) {
        std::vector<std::string> lines = {"PROGRAM Dehors;", "VAR F: TEXTFILE;", "VAR S: STRING;", "BEGIN",
                                          "  ASSIGN(F,'ici.txt');", "  REWRITE(F);", "  WRITELN(F,'ici');",
                                          "  CLOSE(F);", "  RESET(F);", "  READLN(F,S);", "  CLOSE(F);",
                                          "  WRITELN(S);"};
        lines.insert(lines.end(), body.begin(), body.end());
        lines.push_back("END.");
        writeProgram(dir / name, lines);
        return dir / name;
    };
    // Deleting, overwriting, creating and reading outside: each stops the program with an
    // error at its line; inside its own folder it wrote and read back freely.
    const fs::path deletes = program("efface.pas", {"  S := '" + victim.string() + "';", "  DELETEFILE S;"});
    const fs::path overwrites = program("ecrase.pas", {"  S := '" + victim.string() + "';", "  ASSIGN(F,S);",
                                                       "  REWRITE(F);", "  WRITELN(F,'perdu');", "  CLOSE(F);"});
    const fs::path plants = program("plante.pas", {"  S := '" + planted.string() + "';", "  ASSIGN(F,S);",
                                                   "  REWRITE(F);", "  CLOSE(F);"});
    const fs::path peeks = program("lit.pas", {"  S := '" + secret.string() + "';", "  ASSIGN(F,S);",
                                               "  RESET(F);", "  READLN(F,S);", "  WRITELN(S);"});
    const fs::path climbs = program("monte.pas", {"  CHDIR '..\\..';", "  DELETEFILE 'precieux.txt';"});
    for (const fs::path& path : {deletes, overwrites, plants, peeks, climbs}) {
        const CaseResult result = runCase(path, exercise, testCase, settings);
        EXPECT_EQ(result.verdict, Verdict::Error) << path.filename() << ": " << verdictText(result);
        EXPECT_EQ(result.obtained, "ici\n") << path.filename();
    }
    EXPECT_EQ(readFile(victim), "à garder\n");
    EXPECT_FALSE(fs::exists(planted));
    EXPECT_EQ(entriesIn(settings.scratchParent), 0u);

    // The same program unconfined does delete the file: the confinement is what kept it.
    settings.confine = false;
    EXPECT_EQ(runCase(deletes, exercise, testCase, settings).verdict, Verdict::Passed);
    EXPECT_FALSE(fs::exists(victim));
}

TEST(Runs, GradingInParallelGivesTheSameResultsInOrderAndCanStop) {
    TempDir dir;
    RunSettings settings = testSettings(dir.path);
    for (int i = 1; i <= 6; ++i) {
        writeFile(dir / "essais" / ("e" + std::to_string(i) + ".in"), std::to_string(i) + "\n");
        writeFile(dir / "essais" / ("e" + std::to_string(i) + ".out"), std::to_string(i) + "\n" + std::to_string(i) + "\n");
    }
    std::string reason;
    const std::optional<Exercise> exercise = findCases(dir / "essais", reason);
    ASSERT_TRUE(exercise) << reason;
    writeProgram(dir / "echo.pas", {"PROGRAM Echo;", "VAR N: INTEGER;", "BEGIN", "  READLN(N);", "  WRITELN(N);", "END."});
    writeProgram(dir / "rien.pas", {"PROGRAM Rien;", "BEGIN", "END."});
    const std::vector<Submission> submissions{{dir / "echo.pas", &*exercise}, {dir / "rien.pas", &*exercise}};
    std::vector<std::size_t> progress;
    const auto one = gradeAll(submissions, settings, 1, [&](std::size_t done, std::size_t) { progress.push_back(done); });
    const auto three = gradeAll(submissions, settings, 3);
    ASSERT_EQ(one.size(), 2u);
    ASSERT_EQ(three.size(), 2u);
    EXPECT_EQ(progress.size(), 12u);
    EXPECT_EQ(progress.back(), 12u);
    for (std::size_t p = 0; p < 2; ++p)
        for (std::size_t c = 0; c < 6; ++c) {
            EXPECT_EQ(one[p].cases[c].caseName, "e" + std::to_string(c + 1));
            EXPECT_EQ(verdictText(one[p].cases[c]), verdictText(three[p].cases[c]));
        }
    EXPECT_EQ(one[0].passed(), 6u);
    EXPECT_EQ(one[0].score(), 100);
    EXPECT_EQ(one[1].passed(), 0u);
    EXPECT_EQ(one[1].firstFailure(), &one[1].cases[0]);

    // Stopped after the first run, the grading ends and says which runs were not done.
    std::atomic<bool> stop{false};
    const auto stopped = gradeAll(submissions, settings, 1, [&](std::size_t, std::size_t) { stop = true; }, &stop);
    EXPECT_EQ(stopped[0].cases[0].verdict, Verdict::Passed);
    EXPECT_EQ(stopped[1].cases[5].verdict, Verdict::NotRun);
}

TEST(Runs, EachBoundEndsZefrunWithItsOwnStatus) {
    TempDir dir;
    RunSettings settings = testSettings(dir.path);
    const Exercise exercise = oneCase(dir, "", "?\n");
    writeProgram(dir / "boucle.pas", {"PROGRAM Boucle;", "VAR I: INTEGER;", "BEGIN", "  I := 0;", "  WHILE I < 1 DO",
                                      "  BEGIN", "    WRITELN(I);", "  END;", "  WEND;", "END."});
    auto statusWith = [&](std::uint64_t statements, std::uint64_t output) {
        settings.limits.statements = statements;
        settings.limits.outputBytes = output;
        const RunOutcome run = runProgram(dir / "boucle.pas", exercise, exercise.cases.at(0), settings);
        EXPECT_TRUE(run.exited && !run.outputCut) << run.errors;
        return run.status;
    };
    EXPECT_EQ(statusWith(100'000, 1u << 30), zefrun_status::StatementLimit);
    EXPECT_EQ(statusWith(50'000'000'000ull, 5000), zefrun_status::OutputLimit);
    // A confinement that cannot be made (its folder is gone) refuses the run.
    const Finished refused = runCommand({ZEF_ZEFRUN, "--confine", (dir / "absent").string(),
                                         (dir / "boucle.pas").string()});
    EXPECT_EQ(refused.status, zefrun_status::Unconfined) << refused.err;
    EXPECT_EQ(refused.out, "");
}
