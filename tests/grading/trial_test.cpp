// "Tester avec les essais" without a window: the editor's text runs on the cases in the
// background, each result reported as it comes, and a trial can be stopped.
#include "confinement.h"
#include "trial.h"

#include "grading_support.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace zef;
using namespace grading_test;

namespace {

// What a trial reported, waited for with a generous cap.
struct Reports {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::pair<std::size_t, CaseResult>> results;
    std::optional<bool> stoppedAtEnd;
    Trial::Events events() {
        Trial::Events e;
        e.caseDone = [this](std::size_t i, const CaseResult& r) {
            std::lock_guard lock(mutex);
            results.emplace_back(i, r);
            changed.notify_all();
        };
        e.finished = [this](bool stopped) {
            std::lock_guard lock(mutex);
            stoppedAtEnd = stopped;
            changed.notify_all();
        };
        return e;
    }
    template <typename Predicate>
    bool waitFor(Predicate done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::minutes(1), done);
    }
};

Exercise threeCases(const TempDir& dir) {
    for (const char* n : {"1", "2", "3"}) {
        writeFile(dir / "essais" / (std::string(n) + ".in"), std::string(n) + "\n");
        writeFile(dir / "essais" / (std::string(n) + ".out"), std::string(n) + "\n" + n + "\n");
    }
    std::string reason;
    return findCases(dir / "essais", reason).value();
}

RunSettings settingsFor(const TempDir& dir) {
    RunSettings settings;
    settings.zefrun = ZEF_ZEFRUN;
    settings.scratchParent = dir.path;
    settings.confine = landlockAbi() > 0;
    return settings;
}

} // namespace

TEST(Trial, TheEditorsTextRunsUnderItsOwnNameOnEveryCase) {
    TempDir dir;
    Trial trial;
    Reports reports;
    std::string reason;
    // Windows-1252 text, as an editor of 8-bit text may hold it; the program passes only
    // when it finds its own name.
    const std::string text = "PROGRAM Echo;\r\nVAR N: INTEGER;\r\nVAR S: STRING;\r\nBEGIN\r\n  READLN(N);\r\n"
                             "  S := PARAMSTR(0);\r\n  IF S = 'r\xE9ponse.pas' THEN\r\n  WRITELN(N);\r\nEND.\r\n";
    ASSERT_TRUE(trial.start(text, "r\xC3\xA9ponse.pas", threeCases(dir), settingsFor(dir), reports.events(), reason))
        << reason;
    EXPECT_EQ(trial.programPath().filename(), "r\xC3\xA9ponse.pas");
    ASSERT_TRUE(reports.waitFor([&] { return reports.stoppedAtEnd.has_value(); }));
    EXPECT_FALSE(*reports.stoppedAtEnd);
    EXPECT_FALSE(trial.running());
    ASSERT_EQ(reports.results.size(), 3u);
    for (const auto& [index, result] : reports.results) {
        EXPECT_EQ(result.caseName, std::to_string(index + 1));
        EXPECT_EQ(result.verdict, Verdict::Passed) << verdictText(result);
    }
}

TEST(Trial, StopEndsTheRunsInProgress) {
    TempDir dir;
    fs::path copy;
    {
    Trial trial;
    Reports reports;
    std::string reason;
    RunSettings settings = settingsFor(dir);
    settings.limits.statements = 50'000'000'000ull; // only the stop (or the CPU bound) ends it
    settings.limits.cpuSeconds = 60;
    const std::string endless = "PROGRAM Boucle;\r\nVAR I: INTEGER;\r\nBEGIN\r\n  I := 0;\r\n  WHILE I < 1 DO\r\n"
                                "  BEGIN\r\n    I := I * 1;\r\n  END;\r\n  WEND;\r\nEND.\r\n";
    ASSERT_TRUE(trial.start(endless, "boucle.pas", threeCases(dir), settings, reports.events(), reason)) << reason;
    EXPECT_TRUE(trial.running());
    // A second start while the first runs is refused.
    std::string again;
    EXPECT_FALSE(trial.start(endless, "autre.pas", threeCases(dir), settings, {}, again));
    EXPECT_FALSE(again.empty());
    trial.stop();
    ASSERT_TRUE(reports.waitFor([&] { return reports.stoppedAtEnd.has_value(); }));
    EXPECT_TRUE(*reports.stoppedAtEnd);
    for (const auto& [index, result] : reports.results) EXPECT_EQ(result.verdict, Verdict::NotRun) << index;
    trial.wait();
    copy = trial.programPath();
    EXPECT_TRUE(fs::exists(copy));
    }
    // The copy of the program goes with the trial.
    EXPECT_FALSE(fs::exists(copy));
}
