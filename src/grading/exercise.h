// An exercise with test cases: a folder holding, for each case NAME, the standard input
// NAME.in (absent: an empty input), the expected standard output NAME.out, and optionally
// the run parameters NAME.args; a folder fichiers/ beside them holds data files copied
// into the working folder of every run. Cases run in the order of their names.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zef {

struct TestCase {
    std::string name;                   // the files' common name, without extension
    std::filesystem::path input;        // NAME.in, or empty: the run's input is empty
    std::filesystem::path expectedPath; // NAME.out as it is or would be
    std::optional<std::string> expected; // its bytes; none while it does not exist
    std::string arguments;              // NAME.args, UTF-8, its first line only
    std::string inputStart;             // the start of NAME.in as the reports show it
    bool inputCut = false;              // NAME.in holds more than inputStart
};

// How much of a case's input the reports and the IDE show.
inline constexpr std::size_t kShownInputBytes = 64u << 10;

struct Exercise {
    std::filesystem::path folder;       // absolute
    std::filesystem::path files;        // fichiers/, or empty when there is none
    std::vector<TestCase> cases;
};

// The name of the folder of data files copied into every run's working folder.
inline constexpr const char* kDataFolderName = "fichiers";

// Reads a folder of cases: a case is any name that has a .in, .out or .args file (the
// extensions in any letter case; names starting with "." are skipped). A cases folder is
// shared and downloaded like any document, so it is data and nothing in it is followed:
// each case's files must be regular files, fichiers/ a folder holding only regular files
// and folders (no link, named pipe, device or socket). Nothing, with a French reason
// naming the file, when the folder cannot be read or holds what it may not.
std::optional<Exercise> findCases(const std::filesystem::path& folder, std::string& reason);

// Copies the data folder `from` into the existing folder `to` without following any link,
// refusing anything but regular files and folders; false with a French reason.
bool copyDataFiles(const std::filesystem::path& from, const std::filesystem::path& to, std::string& reason);

// Where a program's cases are by default: table.pas -> table.essais beside it.
std::filesystem::path defaultCasesFolder(const std::filesystem::path& program);

// The first case of `exercise` that has no expected output, or nullptr.
const TestCase* caseWithoutExpected(const Exercise& exercise);

} // namespace zef
