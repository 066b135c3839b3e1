// "Tester avec les essais": the program of an editor, as its text stands (as F9 runs it,
// with no need to save it), on every case of its exercise, in the background. The text
// is written to a private folder under the program's own file name, so that PARAMSTR(0)
// and zefrun's messages name it as for any run.
#pragma once

#include "grader.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace zef {

class Trial {
public:
    // Called from the trial's own thread: each case's result as it comes (by its index in
    // the exercise), then once at the end, whether the trial ran out or was stopped.
    struct Events {
        std::function<void(std::size_t testCase, const CaseResult& result)> caseDone;
        std::function<void(bool stopped)> finished;
    };

    Trial() = default;
    ~Trial(); // stops a trial in progress and waits for it
    Trial(const Trial&) = delete;
    Trial& operator=(const Trial&) = delete;

    // Starts the trial of `programText` (UTF-8 or Windows-1252, as a file would hold it)
    // named `fileName`; false with a French reason when it cannot start (a trial already
    // running, the text cannot be written).
    bool start(const std::string& programText, const std::string& fileName, Exercise exercise,
               const RunSettings& settings, Events events, std::string& reason);
    // Asks the runs in progress to end (killed at once) and starts no more.
    void stop() { stop_.store(true); }
    bool running() const { return running_.load(); }
    // Waits until the trial is over (its `finished` has been called).
    void wait();
    const Exercise& exercise() const { return exercise_; }
    // The copy of the program that runs; its path starts zefrun's messages.
    const std::filesystem::path& programPath() const { return program_; }

private:
    void removeCopy();

    Exercise exercise_;
    std::filesystem::path folder_, program_;
    std::atomic<bool> stop_{false}, running_{false};
    std::thread thread_;
};

} // namespace zef
