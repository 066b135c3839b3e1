// libFuzzer target over the interpreter: whatever program, input and step mode a learner
// (or a mutation) produces, a run ends with a status or an abandonment, never a crash, a
// sanitizer report or an unbounded use of memory.
//
// An input is: program text [NUL stdin lines [NUL flags]]. Bit 0 of the first flag byte
// runs in step mode, continuing step after step as F7 does.
#include "interpreter.h"
#include "text.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

using namespace zef;
namespace fs = std::filesystem;

namespace {

constexpr long kStatementBudget = 20000; // per input: loops end, the fuzzer moves on
constexpr int kSteps = 300;              // continuations in step mode

class Lines : public LineList {
public:
    explicit Lines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    int count() const override { return static_cast<int>(lines_.size()); }
    std::string line(int index) const override { return lines_.at(static_cast<std::size_t>(index)); }
    void deleteLine(int index) override { lines_.erase(lines_.begin() + index); }

private:
    std::vector<std::string> lines_;
};

class FuzzScreen : public Screen {
public:
    explicit FuzzScreen(std::vector<std::string> input) : input_(std::move(input)) {}
    void prepare(const std::string&) override {}
    void drawText(int, int, const std::string& text) override { drawn_ += text.size(); }
    int textWidth(const std::string& text) override { return static_cast<int>(text.size()) * 7; }
    void clearScreen() override {}
    std::string readLine(int, int) override {
        if (next_ >= input_.size()) throw RunAbandoned("Fin de l'entr\xE9" "e");
        return input_[next_++];
    }
    void showMessage(const std::string&) override {}

private:
    std::vector<std::string> input_;
    std::size_t next_ = 0;
    std::size_t drawn_ = 0;
};

class Sink : public MessageSink {
public:
    void showError(const std::string&) override {}
};

class MemoryPrinter : public PrinterDevice {
public:
    bool open() override {
        open_ = true;
        return true;
    }
    bool write(const std::string&) override { return open_; }
    bool newLine() override { return open_; }
    bool close() override {
        open_ = false;
        return true;
    }

private:
    bool open_ = false;
};

class FixedClock : public Clock {
public:
    DateTime now() override { return {2026, 12, 7, 9, 5, 3}; }
    std::uint32_t randomSeed() override { return 1; }
};

class Budget : public PollHook {
public:
    bool poll() override { return left_ <= 0; }
    bool interruptPending() override { return --left_ <= 0; }

private:
    long left_ = kStatementBudget;
};

// Each input runs in the scratch folder; libFuzzer's own paths are relative to the folder
// it started in, where each input ends.
fs::path scratchFolder, startFolder;

// Programs may delete, create and move between files and folders. Landlock confines every
// change to the fuzzer's own scratch folder; where the kernel lacks it, programs that
// could change files are skipped instead.
bool confined = false;

bool confineWrites(const fs::path& scratch, const std::vector<fs::path>& alsoWritable) {
    landlock_ruleset_attr attr{};
    attr.handled_access_fs = LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                             LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_DIR |
                             LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SYM |
                             LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_SOCK |
                             LANDLOCK_ACCESS_FS_MAKE_CHAR | LANDLOCK_ACCESS_FS_MAKE_BLOCK;
    const long fd = syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0);
    if (fd < 0) return false;
    auto allow = [&](const fs::path& path, std::uint64_t rights) {
        landlock_path_beneath_attr rule{};
        rule.allowed_access = rights;
        rule.parent_fd = open(path.c_str(), O_PATH | O_CLOEXEC);
        if (rule.parent_fd < 0) return;
        syscall(SYS_landlock_add_rule, fd, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
        close(rule.parent_fd);
    };
    allow(scratch, attr.handled_access_fs);
    for (const auto& dir : alsoWritable) allow(dir, attr.handled_access_fs);
    // A full disk is part of what is tried; no other device may be written.
    allow("/dev/full", LANDLOCK_ACCESS_FS_WRITE_FILE);
    allow("/dev/null", LANDLOCK_ACCESS_FS_WRITE_FILE);
    const bool ok = prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                    syscall(SYS_landlock_restrict_self, fd, 0) == 0;
    close(static_cast<int>(fd));
    return ok;
}

bool changesFiles(std::string_view program) {
    const std::string upper = upperAscii(program);
    for (const char* word : {"REWRITE", "DELETEFILE", "MKDIR", "RMDIR", "CHDIR"})
        if (upper.find(word) != std::string::npos) return true;
    return false;
}

std::vector<std::string_view> splitAt(std::string_view data, char separator, std::size_t parts) {
    std::vector<std::string_view> out;
    while (out.size() + 1 < parts) {
        const auto at = data.find(separator);
        if (at == std::string_view::npos) break;
        out.push_back(data.substr(0, at));
        data.remove_prefix(at + 1);
    }
    out.push_back(data);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Files the programs write land in a scratch folder of their own.
    std::string pattern = (fs::temp_directory_path() / "zef-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "zef-fuzz : impossible de créer %s\n", pattern.c_str());
        std::abort();
    }
    const fs::path scratch = pattern;
    fs::create_directories(scratch / "a" / "b");
    // libFuzzer itself writes new inputs into the first corpus folder, and what it finds
    // under the artifact prefix (the current folder without one).
    std::vector<fs::path> writable;
    bool prefix = false, corpus = false;
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = (*argv)[i];
        if (arg.rfind("-artifact_prefix=", 0) == 0) {
            writable.push_back(fs::absolute(arg.substr(17)).parent_path());
            prefix = true;
        } else if (!corpus && arg[0] != '-' && fs::is_directory(arg)) {
            writable.push_back(fs::absolute(arg));
            corpus = true;
        }
    }
    if (!prefix) writable.push_back(fs::current_path());
    confined = confineWrites(scratch, writable);
    if (!confined)
        std::fprintf(stderr, "zef-fuzz : Landlock indisponible, les programmes qui modifient des "
                             "fichiers sont écartés\n");
    scratchFolder = scratch / "a" / "b";
    startFolder = fs::current_path();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = splitAt(std::string_view(reinterpret_cast<const char*>(data), size), '\0', 3);
    if (!confined && changesFiles(parts[0])) return -1; // not kept in the corpus
    const bool stepMode = parts.size() > 2 && !parts[2].empty() && (parts[2][0] & 1);
    std::error_code ec;
    fs::current_path(scratchFolder, ec);

    FuzzScreen screen(parts.size() > 1 ? splitLines(parts[1]) : std::vector<std::string>{});
    Sink sink;
    MemoryPrinter printer;
    FixedClock clock;
    Budget budget;
    Platform platform;
    platform.screen = &screen;
    platform.messages = &sink;
    platform.printer = &printer;
    platform.clock = &clock;
    platform.poll = &budget;
    Interpreter interpreter(platform);
    interpreter.InitPrg("FUZZ.PAS");
    interpreter.setRunArguments("un deux 3");
    Lines lines(splitLines(parts[0]));

    std::int32_t line = 0, step = stepMode ? 1 : 0, status = 0;
    for (int run = 0; run < (stepMode ? kSteps : 1); ++run) {
        status = 0;
        try {
            interpreter.Exec(lines, line, step, status);
        } catch (const RunAbandoned&) {
            break;
        }
        if (status == 0 || budget.poll()) break;
    }
    // The debugging views read whatever the run left.
    for (const auto& entry : interpreter.symbols())
        for (std::int32_t k = 0; k < entry.Count && k < 4; ++k) (void)interpreter.LitValeur(entry.Index + k, entry.Kind);
    interpreter.CloseAll();
    fs::current_path(startFolder, ec);
    return 0;
}
