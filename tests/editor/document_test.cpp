#include "document.h"

#include "text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace zef;
using namespace zef::editor;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("zef-doc-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

} // namespace

TEST(Document, TemplateAndItsCaretOffset) {
    const auto lines = templateLines();
    ASSERT_EQ(lines.size(), 8u);
    // Offset 86 is the start of the empty line between begin and end.
    EXPECT_EQ(offsetOfLine(lines, 6), kTemplateCaretOffset);
    const LineColumn lc = lineColumnOf(lines, kTemplateCaretOffset);
    EXPECT_EQ(lc.line, 6);
    EXPECT_EQ(lc.column, 0);
    EXPECT_EQ(lineColumnOf(lines, 3).line, 0);
    EXPECT_EQ(lineColumnOf(lines, 18).line, 1); // after "Program NomProg;" and its CR LF
    EXPECT_EQ(lineColumnOf(lines, 9999).line, 7);
}

TEST(Document, ProgramNameCheck) {
    EXPECT_TRUE(programNameMatches("/tmp/essai.pas", "Program Essai;"));
    EXPECT_TRUE(programNameMatches("essai.pas", "PROGRAM   essai;"));
    EXPECT_FALSE(programNameMatches("essai.pas", "Program Essai ;"));
    EXPECT_FALSE(programNameMatches("essai.pas", "Program Essai"));
    EXPECT_FALSE(programNameMatches("essai.pas", ""));
}

TEST(Document, SaveAsNamesTheFileAndTheProgram) {
    EXPECT_EQ(saveAsPath("/home/eleve/Prog/Test.txt"), "/home/eleve/Prog/Test.pas");
    EXPECT_EQ(saveAsPath("/home/el.eve/Test"), "/home/el.eve/Test.pas");
    EXPECT_EQ(saveAsPath("/a/b.c.d"), "/a/b.pas");
    EXPECT_EQ(programLineFor("/home/eleve/Prog/Test.pas"), "Program test;");
    EXPECT_EQ(fileNameOf("/home/eleve/Prog/Test.pas"), "Test.pas");
}

TEST(Document, StepMarkersAreRemovedAndBreakpointsToggled) {
    std::vector<std::string> lines = {"\x95" "a", "\xBB" "b", "", "\x95"};
    removeStepMarkers(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "\xBB" "b", "", ""}));
    toggleBreakpoint(lines, 1);
    toggleBreakpoint(lines, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "\xBB", ""}));
}

TEST(Document, BreakpointWalkPicksTheLineAfterTheCaretsUnlessAtItsStart) {
    const std::vector<std::string> lines(6, std::string(10, 'x')); // each line is 12 with CR LF
    EXPECT_EQ(breakpointWalk(lines, 36 + 5), 4); // middle of line 3
    EXPECT_EQ(breakpointWalk(lines, 36), 3);     // first character of line 3
    EXPECT_EQ(breakpointWalk(lines, 37), 3);     // second character
    EXPECT_EQ(breakpointWalk(lines, 38), 4);     // third character
    EXPECT_EQ(breakpointWalk(lines, 0), 1);      // anywhere in the first line
    EXPECT_EQ(breakpointWalk(lines, 5), 1);
    EXPECT_EQ(breakpointWalk(lines, 60 + 5), 5); // in the last line: the last line
}

TEST(Document, LoadKeepsTheEncodingAndSaveWritesItBackSafely) {
    TempDir dir;
    const fs::path latin = dir.path / "latin.pas";
    std::ofstream(latin, std::ios::binary) << "Program latin;\r\n{ \xE9t\xE9 }\nbegin\rend.";
    std::string error;
    auto source = loadSource(latin.string(), error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(source->encoding, Encoding::Windows1252);
    EXPECT_EQ(source->lines, (std::vector<std::string>{"Program latin;", "{ \xE9t\xE9 }", "begin", "end."}));
    ASSERT_TRUE(saveSource(latin.string(), source->lines, source->encoding, error)) << error;
    EXPECT_EQ(readAll(latin), "Program latin;\r\n{ \xE9t\xE9 }\r\nbegin\r\nend.\r\n");

    const fs::path utf = dir.path / "utf.pas";
    std::ofstream(utf, std::ios::binary) << "Program utf;\n{ été » }\n";
    source = loadSource(utf.string(), error);
    ASSERT_TRUE(source);
    EXPECT_EQ(source->encoding, Encoding::Utf8);
    EXPECT_EQ(source->lines[1], "{ \xE9t\xE9 \xBB }");
    ASSERT_TRUE(saveSource(utf.string(), source->lines, source->encoding, error));
    EXPECT_EQ(readAll(utf), "Program utf;\r\n{ été » }\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 2);
}

TEST(Document, AFailedSaveKeepsThePreviousFile) {
    TempDir dir;
    const fs::path file = dir.path / "garde.pas";
    std::ofstream(file, std::ios::binary) << "ancien";
    std::string error;
    // A directory in the way of the temporary file makes the save fail.
    fs::create_directories(dir.path / ("garde.pas.zef-tmp-" + std::to_string(::getpid())));
    EXPECT_FALSE(saveSource(file.string(), {"nouveau"}, Encoding::Utf8, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readAll(file), "ancien");
    EXPECT_FALSE(loadSource((dir.path / "absent.pas").string(), error));
}
