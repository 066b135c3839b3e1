// Folders for tests that touch files. A ScratchFolder is a new folder of a name no other
// run can hold (mkdtemp under the temporary folder), removed with everything in it when the
// test ends. A CurrentFolder moves the process into a folder and back when it goes out of
// scope, so that a failed assertion that leaves the test early (or a program's CHDIR)
// never leaves the next test in another folder.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zef::testing {

class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& prefix = "zef-test") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder: " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!kept_) std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    // Leaves the folder in place, for a look at what a failed test left there.
    void keep() { kept_ = true; }

  private:
    std::filesystem::path path_;
    bool kept_ = false;
};

class CurrentFolder {
  public:
    explicit CurrentFolder(const std::filesystem::path& folder)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

  private:
    std::filesystem::path previous_;
};

} // namespace zef::testing
