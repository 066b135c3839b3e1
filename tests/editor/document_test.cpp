#include "document.h"

#include "scratch.h"
#include "text.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    zef::testing::ScratchFolder scratch{"zef-doc"};
    const fs::path& path = scratch.path();
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
    // What Save As proposes: the file it has; else the name the PROGRAM line declares,
    // else the shown name, in the folder given.
    EXPECT_EQ(proposedSavePath("/a/Vieux.pas", "Program Neuf;", "PAS1.PAS", "/b"), "/a/Vieux.pas");
    EXPECT_EQ(proposedSavePath("", "  program Moyenne ;", "PAS1.PAS", "/b"), "/b/Moyenne.pas");
    EXPECT_EQ(proposedSavePath("", "Program mon essai;", "PAS2.PAS", "/b"), "/b/pas2.pas");
    EXPECT_EQ(proposedSavePath("", "begin", "PAS3.PAS", ""), "pas3.pas");
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

// A disk that fills up while saving: the file-size limit makes every write beyond it fail,
// as a full disk would.
struct SmallDisk {
    explicit SmallDisk(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~SmallDisk() {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    rlimit old{};
    void (*previous)(int);
};

TEST(Document, AFailedSaveKeepsThePreviousFile) {
    TempDir dir;
    const fs::path file = dir.path / "garde.pas";
    std::ofstream(file, std::ios::binary) << "ancien";
    const fs::path linked = dir.path / "lien.pas";
    std::ofstream(linked, std::ios::binary) << "abc";
    fs::create_hard_link(linked, dir.path / "autre.pas");
    std::string error;
    {
        SmallDisk disk(4);
        EXPECT_FALSE(saveSource(file.string(), {"nouveau"}, Encoding::Utf8, error));
        EXPECT_NE(error.find("garde.pas : fichier trop gros"), std::string::npos) << error;
        // Written in place, a file with several links gets its old content back.
        EXPECT_FALSE(saveSource(linked.string(), {"nouveau"}, Encoding::Utf8, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(readAll(file), "ancien");
    EXPECT_EQ(readAll(dir.path / "autre.pas"), "abc");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 3);
}

TEST(Document, SavingKeepsModeLinksAndAsksBeforeReplacingAReadOnlyFile) {
    TempDir dir;
    std::string error;
    const fs::path priv = dir.path / "prive.pas";
    std::ofstream(priv) << "x";
    fs::permissions(priv, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(saveSource(priv.string(), {"a"}, Encoding::Utf8, error)) << error;
    EXPECT_EQ(fs::status(priv).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    // The owner stays too, where the saver may give files away (as root).
    if (::geteuid() == 0 && ::chown(priv.c_str(), 1234, 1234) == 0) {
        ASSERT_TRUE(saveSource(priv.string(), {"b"}, Encoding::Utf8, error)) << error;
        struct stat info {};
        ASSERT_EQ(::stat(priv.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 1234u);
    }

    // Through a symbolic link the real file is saved and the link stays a link.
    fs::create_directories(dir.path / "vrai");
    const fs::path real = dir.path / "vrai" / "prog.pas";
    std::ofstream(real) << "vieux";
    fs::create_symlink("vrai/prog.pas", dir.path / "raccourci.pas");
    ASSERT_TRUE(saveSource((dir.path / "raccourci.pas").string(), {"neuf"}, Encoding::Utf8, error));
    EXPECT_TRUE(fs::is_symlink(dir.path / "raccourci.pas"));
    EXPECT_EQ(readAll(real), "neuf\r\n");

    // Every hard link of a file sees the new text.
    fs::create_hard_link(real, dir.path / "double.pas");
    ASSERT_TRUE(saveSource(real.string(), {"encore"}, Encoding::Utf8, error));
    EXPECT_EQ(readAll(dir.path / "double.pas"), "encore\r\n");
    EXPECT_EQ(fs::hard_link_count(real), 2u);

    // A read-only file: declined, nothing changes and there is nothing to report; accepted,
    // it is replaced and stays read-only.
    const fs::path locked = dir.path / "verrou.pas";
    std::ofstream(locked) << "garde";
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string asked;
    EXPECT_FALSE(saveSource(locked.string(), {"non"}, Encoding::Utf8, error,
                            [&](const std::string& p) { return asked = p, false; }));
    EXPECT_EQ(asked, locked.string());
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(readAll(locked), "garde");
    EXPECT_FALSE(saveSource(locked.string(), {"non"}, Encoding::Utf8, error));
    EXPECT_TRUE(saveSource(locked.string(), {"oui"}, Encoding::Utf8, error, [](const std::string&) { return true; }));
    EXPECT_EQ(readAll(locked), "oui\r\n");
    EXPECT_EQ(fs::status(locked).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // No temporary file is left behind.
    for (const auto& entry : fs::directory_iterator(dir.path))
        EXPECT_EQ(entry.path().filename().string().find(".zef-"), std::string::npos);
}

TEST(Document, LoadingRefusesWhatCannotBeEditedAndSaysWhyInFrench) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(loadSource((dir.path / "absent.pas").string(), error));
    EXPECT_NE(error.find("absent.pas : fichier introuvable"), std::string::npos) << error;
    EXPECT_FALSE(loadSource(dir.path.string(), error));
    EXPECT_NE(error.find("dossier"), std::string::npos) << error;
    // Characters outside Windows-1252 would be lost by the next save: the file is refused,
    // and the message names them.
    const fs::path names = dir.path / "noms.pas";
    std::ofstream(names, std::ios::binary) << "Program noms;\n{ Łukasz 中 été Ł }\n";
    EXPECT_FALSE(loadSource(names.string(), error));
    EXPECT_NE(error.find("(Ł中)"), std::string::npos) << error;
    EXPECT_EQ(readAll(names), "Program noms;\n{ Łukasz 中 été Ł }\n");
    // A UTF-16 file, with or without its byte-order mark, in either byte order, is refused
    // with what to do, rather than read as 8-bit text that fails at its first line.
    auto utf16 = [](const std::string& ascii, bool bigEndian, bool mark) {
        std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    const fs::path wide = dir.path / "large.pas";
    for (const bool bigEndian : {false, true})
        for (const bool mark : {false, true}) {
            std::ofstream(wide, std::ios::binary) << utf16("Program large;\r\nbegin\r\nend.\r\n", bigEndian, mark);
            EXPECT_FALSE(loadSource(wide.string(), error));
            EXPECT_NE(error.find("large.pas : fichier en UTF-16 : enregistrez-le en UTF-8"), std::string::npos) << error;
        }
    // A short program, and one in Windows-1252 full of accents, are still programs.
    std::ofstream(wide, std::ios::binary) << "P\r\n\xE9\xE8\xE0\r\n";
    EXPECT_TRUE(loadSource(wide.string(), error)) << error;
    // A file of one line of megabytes is no program, and would hold the editor for long.
    const fs::path longLine = dir.path / "ligne.pas";
    std::ofstream(longLine, std::ios::binary) << "Program ligne;\r\n{ " << std::string(60000, 'x') << " }\r\n";
    EXPECT_TRUE(loadSource(longLine.string(), error)) << error;
    std::ofstream(longLine, std::ios::binary) << "Program ligne;\r\n{ " << std::string(7 << 20, 'x') << " }\r\n";
    EXPECT_FALSE(loadSource(longLine.string(), error));
    EXPECT_NE(error.find("ligne.pas a une ligne de plus de"), std::string::npos) << error;
}
