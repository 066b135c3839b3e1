#include "trial.h"

#include "systemerror.h"

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace zef {

Trial::~Trial() {
    stop();
    wait();
    removeCopy();
}

void Trial::wait() {
    if (thread_.joinable()) thread_.join();
}

void Trial::removeCopy() {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
    folder_.clear();
    program_.clear();
}

bool Trial::start(const std::string& programText, const std::string& fileName, Exercise exercise,
                  const RunSettings& settings, Events events, std::string& reason) {
    if (running()) {
        reason = "un test avec les essais est déjà en cours";
        return false;
    }
    wait();
    removeCopy();
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "zefessais-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        reason = "dossier temporaire impossible à créer : " + frenchReason(errno);
        return false;
    }
    folder_ = pattern;
    program_ = folder_ / fs::path(fileName).filename();
    {
        std::ofstream out(program_, std::ios::binary);
        out << programText;
        out.close();
        if (!out) {
            reason = "copie du programme impossible : " + frenchReason(errno);
            removeCopy();
            return false;
        }
    }
    exercise_ = std::move(exercise);
    stop_.store(false);
    running_.store(true);
    thread_ = std::thread([this, settings, events = std::move(events)] {
        const std::vector<Submission> submissions{{program_, &exercise_}};
        gradeAll(submissions, settings, 0, {}, &stop_,
                 [&](std::size_t, std::size_t testCase, const CaseResult& result) {
                     if (events.caseDone) events.caseDone(testCase, result);
                 });
        const bool stopped = stop_.load();
        running_.store(false);
        if (events.finished) events.finished(stopped);
    });
    return true;
}

} // namespace zef
