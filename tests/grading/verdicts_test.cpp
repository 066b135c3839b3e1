// What a teacher reads: which verdict each way of ending gives, judged by zefrun's status
// and its end record; and a score written the same way in every report, durations with a
// decimal comma for readers and a point for machines.
#include "reports.h"
#include "runner.h"

#include "grading_support.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace zef;
using namespace grading_test;

TEST(Verdicts, EachWayARunEndsHasItsVerdict) {
    auto ended = [](int status, std::optional<EndRecord> end = std::nullopt) {
        RunOutcome run;
        run.started = run.exited = true;
        run.status = status;
        run.output = "sortie\n";
        run.end = std::move(end);
        return run;
    };
    struct Case {
        RunOutcome run;
        Verdict verdict;
        int line = 0;
    };
    RunOutcome timedOut = ended(0), cut = ended(0), killed = ended(0), crashed = ended(0), cancelled = ended(1);
    timedOut.timedOut = true;
    cut.outputCut = true;
    killed.exited = crashed.exited = false;
    killed.signal = SIGKILL;
    crashed.signal = SIGSEGV;
    cancelled.cancelled = true;
    const std::vector<Case> cases{
        {ended(0), Verdict::Passed},
        {ended(1, EndRecord{1, 7, "message"}), Verdict::Error, 7},
        {ended(2, EndRecord{2, 9, "Erreur E/S 29"}), Verdict::Error, 9},
        // A bound names the line that was running; a record of another status names none.
        {ended(3, EndRecord{3, 12, "Trop long : plus de 10 instructions"}), Verdict::TooLong, 12},
        {ended(4, EndRecord{4, 3, "Trop long : plus de 1 s de calcul"}), Verdict::TooLong, 3},
        {ended(4, EndRecord{3, 3, "Trop long : plus de 10 instructions"}), Verdict::TooLong},
        {ended(5), Verdict::OutputTooLong},
        {ended(6), Verdict::TooMuchWriting},
        // A stop that zefrun did not explain, or explained as another status, is no verdict
        // on the program.
        {ended(1), Verdict::NotRun},
        {ended(1, EndRecord{0, 7, "message"}), Verdict::NotRun},
        {ended(69, EndRecord{69, 0, "isolement impossible"}), Verdict::NotRun},
        // The grader's own bounds and stop come first, whatever zefrun said.
        {timedOut, Verdict::TooLong},
        {cut, Verdict::OutputTooLong},
        {killed, Verdict::TooLong},
        {crashed, Verdict::NotRun},
        {cancelled, Verdict::NotRun},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const CaseResult result = judge(cases[i].run, "sortie\n", false);
        EXPECT_EQ(result.verdict, cases[i].verdict) << i << ": " << verdictText(result);
        EXPECT_EQ(result.line, cases[i].line) << i;
        EXPECT_EQ(result.unconfined, cases[i].run.status == 69) << i;
    }
    EXPECT_EQ(verdictText(judge(cases[1].run, "", false)), "Erreur ligne 7 : message");
    // The line of a run stopped by a bound is in its text, and in its JSON line as "ligne";
    // the clock's bound knows no line.
    const CaseResult bounded = judge(cases[3].run, "", false);
    EXPECT_EQ(verdictText(bounded).rfind(verdictName(Verdict::TooLong), 0), 0u);
    EXPECT_NE(verdictText(bounded).find("ligne 12"), std::string::npos) << verdictText(bounded);
    EXPECT_EQ(verdictText(judge(timedOut, "", false)), verdictName(Verdict::TooLong));
    ProgramResult program;
    program.cases = {bounded, judge(timedOut, "", false)};
    const std::string json = jsonLinesReport({program});
    EXPECT_NE(json.find("\"cle\":\"trop_long\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"ligne\":12"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"ligne\":", json.find('\n')), std::string::npos) << json;
}

TEST(Verdicts, AStoppedRunIsJudgedByItsErrorNotByWhatFailedAfterIt) {
    // The program stops on an error with a file still open whose last line cannot be
    // written (/dev/full): the close that zefrun does at the end fails too.
    TempDir dir;
    writeFile(dir / "essais" / "01.out", "?\n");
    std::string reason;
    const std::optional<Exercise> exercise = findCases(dir / "essais", reason);
    ASSERT_TRUE(exercise) << reason;
    RunSettings settings;
    settings.zefrun = ZEF_ZEFRUN;
    settings.scratchParent = dir.path;
    settings.confine = false; // /dev/full is out of a confined run's reach
    auto run = [&](const std::string& name, const std::vector<std::string>& body) {
        std::vector<std::string> lines{"PROGRAM Plein;", "VAR F: TEXTFILE;", "VAR I: INTEGER;", "BEGIN"};
        lines.insert(lines.end(), body.begin(), body.end());
        lines.push_back("END.");
        writeProgram(dir / name, lines);
        return runCase(dir / name, *exercise, exercise->cases.at(0), settings);
    };
    const CaseResult error = run("erreur.pas", {"  I := 1;", "  I := 2;", "  I := 3;", "  I := INCONNU;"});
    const CaseResult both = run("plein.pas", {"  ASSIGN(F,'/dev/full');", "  REWRITE(F);", "  WRITELN(F,'x');",
                                              "  I := INCONNU;"});
    const CaseResult full = run("seul.pas", {"  ASSIGN(F,'/dev/full');", "  REWRITE(F);", "  WRITELN(F,'x');",
                                             "  I := 4;"});
    ASSERT_EQ(error.verdict, Verdict::Error);
    EXPECT_EQ(both.verdict, Verdict::Error) << verdictText(both);
    EXPECT_EQ(both.line, 8);
    EXPECT_EQ(both.message, error.message);
    // Alone, the failed close is what the run is judged by.
    EXPECT_EQ(full.verdict, Verdict::Error) << verdictText(full);
    EXPECT_NE(full.message, error.message);
}

TEST(Verdicts, AScoreIsRoundedDownAndDurationsAreFrenchForReadersWithAPointForMachines) {
    auto program = [](const std::string& name, std::size_t cases, std::size_t failed) {
        ProgramResult result;
        result.program = name;
        result.name = name;
        result.casesFolder = "essais";
        for (std::size_t i = 0; i < cases; ++i) {
            CaseResult c;
            c.caseName = "e" + std::to_string(1000 + i);
            c.verdict = i < failed ? Verdict::WrongOutput : Verdict::Passed;
            c.difference.line = 1;
            result.cases.push_back(c);
        }
        return result;
    };
    // One case failed in two hundred is not full marks; two out of three is 66 everywhere.
    std::vector<ProgramResult> results{program("presque.pas", 200, 1), program("deux.pas", 3, 1)};
    results[1].cases[0].seconds = results[1].cases[1].seconds = 0.239;
    EXPECT_EQ(results[0].score(), 99);
    EXPECT_EQ(results[1].score(), 66);
    const std::string table = tableReport(results), html = htmlReport(results, false);
    const std::string sheet = csvReport(results), csv = csvReport(results, CsvForm::Rfc4180);
    const std::string junit = junitReport(results), json = jsonLinesReport(results);
    for (const std::string& shown : {std::string(" 99 %"), std::string(" 66 %")}) {
        EXPECT_NE(table.find(shown), std::string::npos) << table;
        EXPECT_NE(html.find(shown.substr(1)), std::string::npos);
    }
    EXPECT_EQ(table.find("100 %"), std::string::npos);
    EXPECT_EQ(html.find("100 %"), std::string::npos);
    // A reader sees seconds with a decimal comma: a program's total, and in the page each run's.
    EXPECT_NE(table.find("0,478 s"), std::string::npos) << table;
    EXPECT_NE(html.find("0,478 s"), std::string::npos);
    EXPECT_NE(html.find("0,239 s"), std::string::npos);
    // JSON and JUnit keep the point their parsers read.
    EXPECT_NE(json.find("\"duree_s\":0.239"), std::string::npos);
    EXPECT_NE(junit.find("time=\"0.239\""), std::string::npos);
    EXPECT_EQ((json + junit).find("0,239"), std::string::npos);
    // The spreadsheet's CSV: a byte-order mark, ";" between cells, the time last with a
    // comma; the scripts' CSV: the same cells between commas, with a point.
    EXPECT_EQ(sheet.rfind("\xEF\xBB\xBFProgramme;", 0), 0u) << sheet.substr(0, 40);
    EXPECT_NE(sheet.find("\r\npresque.pas;199;200;99;"), std::string::npos);
    EXPECT_NE(sheet.find("\r\ndeux.pas;2;3;66;"), std::string::npos);
    EXPECT_TRUE(sheet.ends_with(";0,478\r\n")) << sheet.substr(sheet.size() - 40);
    EXPECT_EQ(csv.rfind("Programme,", 0), 0u);
    EXPECT_NE(csv.find("\r\npresque.pas,199,200,99,"), std::string::npos) << csv.substr(0, 200);
    EXPECT_NE(csv.find("\r\ndeux.pas,2,3,66,"), std::string::npos);
    EXPECT_TRUE(csv.ends_with(",0.478\r\n"));
    EXPECT_NE(junit.find("name=\"deux.pas\" tests=\"3\" failures=\"1\""), std::string::npos);
    EXPECT_NE(junit.find("tests=\"203\" failures=\"2\""), std::string::npos);
    std::size_t passedRuns = 0;
    for (std::size_t at = json.find("\"reussi\":true"); at != std::string::npos; at = json.find("\"reussi\":true", at + 1))
        ++passedRuns;
    EXPECT_EQ(passedRuns, 201u);
}
