#include "exercise.h"

#include "sourcefile.h"
#include "systemerror.h"
#include "text.h"

#include <algorithm>
#include <map>

namespace fs = std::filesystem;

namespace zef {

namespace {

// An expected output or a parameters file far beyond any exercise is a mistake, not data.
constexpr std::size_t kMaxCaseFileBytes = 64u << 20;

std::optional<std::string> readCaseFile(const fs::path& path, std::string& reason) {
    FileBytes read = readRegularFile(path.string(), kMaxCaseFileBytes);
    if (read.bytes) return read.bytes;
    switch (read.problem) {
    case ReadProblem::NotARegularFile: reason = path.string() + " : ce n'est pas un fichier ordinaire"; break;
    case ReadProblem::TooLarge: reason = path.string() + " : fichier trop gros"; break;
    default: reason = path.string() + " : " + frenchReason(read.systemError); break;
    }
    return std::nullopt;
}

} // namespace

std::optional<Exercise> findCases(const fs::path& folder, std::string& reason) {
    std::error_code error;
    Exercise exercise;
    exercise.folder = fs::absolute(folder, error);
    if (!fs::is_directory(exercise.folder, error)) {
        reason = folder.string() + " : " + (error ? frenchReason(error) : std::string("ce n'est pas un dossier"));
        return std::nullopt;
    }
    std::map<std::string, TestCase> byName; // sorted by name, byte for byte
    fs::directory_iterator it(exercise.folder, error), end;
    if (error) {
        reason = folder.string() + " : " + frenchReason(error);
        return std::nullopt;
    }
    for (; it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string fileName = path.filename().string();
        if (fileName.empty() || fileName[0] == '.') continue;
        if (fileName == kDataFolderName && it->is_directory(error)) {
            exercise.files = path;
            continue;
        }
        const std::string extension = lowerAscii(path.extension().string());
        if (extension != ".in" && extension != ".out" && extension != ".args") continue;
        const std::string name = path.stem().string();
        TestCase& testCase = byName[name];
        testCase.name = name;
        if (extension == ".in") {
            testCase.input = path;
        } else if (extension == ".out") {
            testCase.expectedPath = path;
            testCase.expected = readCaseFile(path, reason);
            if (!testCase.expected) return std::nullopt;
        } else {
            const std::optional<std::string> bytes = readCaseFile(path, reason);
            if (!bytes) return std::nullopt;
            // The parameters are one line of text, as in the IDE's parameters window.
            const std::vector<std::string> lines = splitLines(*bytes);
            const std::string first = lines.empty() ? std::string() : lines.front();
            testCase.arguments = isValidUtf8(first) ? first : cp1252ToUtf8(first);
            if (startsWith(testCase.arguments, "\xEF\xBB\xBF")) testCase.arguments.erase(0, 3);
        }
    }
    if (error) {
        reason = folder.string() + " : " + frenchReason(error);
        return std::nullopt;
    }
    for (auto& [name, testCase] : byName) {
        if (testCase.expectedPath.empty()) testCase.expectedPath = exercise.folder / (name + ".out");
        exercise.cases.push_back(std::move(testCase));
    }
    return exercise;
}

fs::path defaultCasesFolder(const fs::path& program) {
    fs::path folder = program;
    folder.replace_extension(".essais");
    return folder;
}

const TestCase* caseWithoutExpected(const Exercise& exercise) {
    for (const TestCase& testCase : exercise.cases)
        if (!testCase.expected) return &testCase;
    return nullptr;
}

} // namespace zef
