// A program's file that is a named pipe, as the IDE runs it: opening it never waits for the
// other side, a reader that does not read makes a write wait only while the run may go on
// (the poll hook keeps the IDE alive and can end the wait), and a reader that goes away
// fails the write instead of ending the process.
#include "recording_platform.h"
#include "watchdog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

using namespace zef;
using namespace zef::testing;
namespace fs = std::filesystem;

namespace {

struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "zefpipe-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

// A poll hook that does something of the test's at its first call, then counts.
class ScriptedPoll : public PollHook {
public:
    bool poll() override {
        if (calls++ == 0 && atFirstCall) atFirstCall();
        return calls >= stopAfter;
    }
    std::function<void()> atFirstCall;
    int calls = 0, stopAfter = 1 << 30;
};

struct PipeRun {
    PipeRun() {
        platform.screen = &screen;
        platform.messages = &messages;
        platform.clock = &clock;
        platform.poll = &poll;
        interpreter = std::make_unique<Interpreter>(platform);
        interpreter->InitPrg("TUBE.PAS");
    }
    // Runs a program whose file F is bound to the pipe; `body` comes after its opening.
    std::int32_t run(const fs::path& pipe, const std::string& open, const std::vector<std::string>& body) {
        lines.lines = {"PROGRAM Tube;", "VAR F: TEXTFILE;", "VAR S: STRING;", "VAR I: INTEGER;", "BEGIN",
                       "  S := '" + pipe.string() + "';", "  ASSIGN(F,S);", "  " + open + "(F);"};
        lines.lines.insert(lines.lines.end(), body.begin(), body.end());
        lines.lines.push_back("END.");
        std::int32_t line = 0, step = 0, status = 0;
        interpreter->Exec(lines, line, step, status);
        return status;
    }

    RecordingScreen screen;
    RecordingMessages messages;
    FixedClock clock;
    ScriptedPoll poll;
    Platform platform;
    std::unique_ptr<Interpreter> interpreter;
    VectorLines lines{{}};
};

const std::string kLine = "une ligne assez longue pour remplir le tube vite";
const std::vector<std::string> kManyLines = {"  FOR I:=1 TO 20000 DO", "  WRITELN(F,'" + kLine + "');",
                                             "  CLOSE(F);"};

} // namespace

TEST(NamedPipes, OpeningOneNeverWaitsForTheOtherSide) {
    TempDir dir;
    const fs::path pipe = dir.path / "tube";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Watchdog watchdog("a run on a named pipe");
    for (const char* open : {"REWRITE", "RESET"}) {
        PipeRun run;
        EXPECT_EQ(run.run(pipe, open, {"  WRITELN('ouvert');"}), StatusStop) << open;
        EXPECT_EQ(run.messages.messages, std::vector<std::string>{"Erreur Entrée/Sortie"}) << open;
        EXPECT_TRUE(run.screen.drawings.empty()) << open;
    }
}

TEST(NamedPipes, AReaderThatDoesNotReadHoldsTheRunOnlyUntilItIsInterrupted) {
    TempDir dir;
    const fs::path pipe = dir.path / "tube";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Watchdog watchdog("a run on a named pipe");
    PipeRun run;
    // The wait asks the poll hook again and again (the IDE repaints and takes Ctrl+F2
    // there); the hook's interrupt ends it, and the lines that could not go are an
    // input/output error rather than lost in silence.
    run.poll.stopAfter = 30;
    try {
        run.run(pipe, "REWRITE", kManyLines);
        ADD_FAILURE() << "the run went on as if everything had been written";
    } catch (const RunAbandoned& e) {
        EXPECT_EQ(cp1252ToUtf8(e.what()), "Erreur E/S 29");
    }
    EXPECT_GE(run.poll.calls, 30);
    ::close(reader);
}

TEST(NamedPipes, AReaderThatReadsGetsEveryLineAndOneThatLeavesFailsTheWrite) {
    TempDir dir;
    const fs::path pipe = dir.path / "tube";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    Watchdog watchdog("a run on a named pipe");
    {
        // A reader slower than the program: the writes wait for it, nothing is lost.
        const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        std::string received;
        std::thread reading([&] {
            // Waits for data rather than reading at once: a read before the program opens
            // its end would find no writer and end at once.
            char chunk[512];
            for (;;) {
                pollfd data{reader, POLLIN, 0};
                ::poll(&data, 1, -1);
                const ssize_t n = ::read(reader, chunk, sizeof chunk);
                if (n == 0) break; // the program closed its end
                if (n > 0) received.append(chunk, static_cast<std::size_t>(n));
                usleep(50);
            }
        });
        PipeRun run;
        EXPECT_EQ(run.run(pipe, "REWRITE", kManyLines), StatusOk);
        reading.join();
        ::close(reader);
        std::string expected;
        for (int i = 0; i < 20000; ++i) expected += kLine + "\r\n";
        EXPECT_TRUE(received == expected) << received.size() << " bytes received";
    }
    {
        // A reader that goes away while the program writes: an input/output error, and the
        // process lives on (SIGPIPE would have ended the IDE).
        int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        PipeRun run;
        run.poll.atFirstCall = [&] {
            ::close(reader);
            reader = -1;
        };
        try {
            run.run(pipe, "REWRITE", kManyLines);
            ADD_FAILURE() << "the run went on as if everything had been written";
        } catch (const RunAbandoned& e) {
            EXPECT_EQ(cp1252ToUtf8(e.what()), "Erreur E/S 29");
        }
        EXPECT_EQ(reader, -1);
    }
}
