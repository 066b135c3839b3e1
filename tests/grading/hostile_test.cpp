// Cases folders and graded programs made by others, at their worst: each attack on the
// teacher's files, environment, disk and verdicts made for real through the real zefrun,
// with the teacher's files compared before and after.
#include "confinement.h"
#include "grader.h"
#include "runner.h"

#include "grading_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/stat.h>

using namespace zef;
using namespace grading_test;

namespace {

RunSettings settingsIn(const fs::path& scratchParent, bool confine) {
    RunSettings settings;
    settings.zefrun = ZEF_ZEFRUN;
    settings.scratchParent = scratchParent;
    settings.confine = confine;
    return settings;
}

// The teacher's files that no run may read or change: each one's content, checked at the end.
struct Canaries {
    std::vector<std::pair<fs::path, std::string>> files;
    fs::path add(const fs::path& path, const std::string& content) {
        writeFile(path, content);
        files.emplace_back(path, content);
        return path;
    }
    void expectUntouched() const {
        for (const auto& [path, content] : files) {
            EXPECT_FALSE(fs::is_symlink(path)) << path;
            EXPECT_EQ(readFile(path), content) << path;
        }
    }
};

Exercise casesIn(const fs::path& folder) {
    std::string reason;
    std::optional<Exercise> exercise = findCases(folder, reason);
    EXPECT_TRUE(exercise) << reason;
    return exercise.value_or(Exercise{});
}

// A program: its heading, a string and a file variable, then `body` between BEGIN and END.
fs::path program(const fs::path& path, const std::vector<std::string>& body) {
    std::vector<std::string> lines{"PROGRAM Hostile;", "VAR F: TEXTFILE;", "VAR S: STRING;", "VAR I: INTEGER;",
                                   "BEGIN"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back("END.");
    writeProgram(path, lines);
    return path;
}

// A socket listening at `path`, left there as a file of the folder.
void bindSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.string().size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.string().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

std::vector<std::string> readInto(const std::string& name) {
    return {"  ASSIGN(F,'" + name + "');", "  RESET(F);", "  READLN(F,S);", "  WRITELN(S);", "  CLOSE(F);"};
}

} // namespace

TEST(Hostile, ACasesFolderIsDataAndNothingInItIsFollowed) {
    TempDir dir;
    Canaries canaries;
    const fs::path secret = canaries.add(dir / "prof" / "secret.txt", "mot de passe\n");
    fs::create_directories(dir / "prof" / "dossier");
    // Each folder is a good exercise with one hostile entry; findCases refuses it, names
    // the entry and says it is not accepted there (not what opening it would have done),
    // before anything runs.
    struct Attack {
        std::string entry;
        std::function<void(const fs::path&)> plant;
    };
    const std::vector<Attack> attacks{
        {"01.out", [&](const fs::path& p) { fs::create_symlink(secret, p); }},
        {"01.args", [&](const fs::path& p) { fs::create_symlink(secret, p); }},
        {"01.in", [&](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
        {"03.out", [&](const fs::path& p) { bindSocket(p); }},
        {"fichiers", [&](const fs::path& p) { fs::create_directory_symlink(dir / "prof" / "dossier", p); }},
        {"fichiers/donnees.txt", [&](const fs::path& p) { fs::create_symlink(secret, p); }},
        {"fichiers/sous/maison", [&](const fs::path& p) { fs::create_directory_symlink(dir / "prof", p); }},
        {"fichiers/tube", [&](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }},
    };
    for (std::size_t i = 0; i < attacks.size(); ++i) {
        const fs::path cases = dir / ("essais" + std::to_string(i));
        writeFile(cases / "02.out", "ok\n");
        writeFile(cases / "fichiers" / "sous" / "vrai.txt", "x\n");
        if (attacks[i].entry == "fichiers") fs::remove_all(cases / "fichiers");
        attacks[i].plant(cases / attacks[i].entry);
        std::string reason;
        EXPECT_FALSE(findCases(cases, reason)) << attacks[i].entry;
        EXPECT_NE(reason.find(attacks[i].entry), std::string::npos) << reason;
        EXPECT_NE(reason.find("accepté"), std::string::npos) << reason;
        EXPECT_EQ(reason.find("mot de passe"), std::string::npos) << reason;
    }

    // Regular files and folders only: all of them copied, nested, as they are.
    writeFile(dir / "propre" / "01.out", "x\n");
    writeFile(dir / "propre" / "fichiers" / "a" / "b" / "c.txt", "profond\r\n");
    const Exercise exercise = casesIn(dir / "propre");
    fs::create_directories(dir / "copie");
    std::string reason;
    ASSERT_TRUE(copyDataFiles(exercise.files, dir / "copie", reason)) << reason;
    EXPECT_EQ(readFile(dir / "copie" / "a" / "b" / "c.txt"), "profond\r\n");
    canaries.expectUntouched();
}

TEST(Hostile, ARunInheritsNoDescriptorAndNoVariableOfTheGrader) {
    // Unconfined, so that /proc is readable and only the care of the runner and of zefrun
    // protects; a descriptor of the teacher's file is open without close-on-exec, at 47.
    TempDir dir;
    Canaries canaries;
    const fs::path secret = canaries.add(dir / "prof" / "secret.txt", "contenu secret\n");
    ASSERT_EQ(::setenv("ZEF_JETON_DU_PROF", "jeton-0451", 1), 0);
    const int leaked = ::open(secret.c_str(), O_RDONLY);
    ASSERT_GE(leaked, 0);
    ASSERT_EQ(::dup2(leaked, 47), 47);
    writeFile(dir / "essais" / "01.out", "?\n");
    const Exercise exercise = casesIn(dir / "essais");

    // A graded program reads its environment: there is nothing of the grader's in it.
    const CaseResult environment = runCase(program(dir / "env.pas", readInto("/proc/self/environ")), exercise,
                                           exercise.cases.at(0), settingsIn(dir.path, false));
    EXPECT_NE(environment.obtained.find("LC_ALL"), std::string::npos) << environment.obtained;
    EXPECT_EQ(environment.obtained.find("jeton-0451"), std::string::npos);

    // What the runner hands over, seen by a stand-in for zefrun: the standard streams and
    // the status socket, no other descriptor, no variable of the grader's.
    RunSettings standIn = settingsIn(dir.path, false);
    standIn.zefrun = dir / "montre.sh";
    writeFile(standIn.zefrun, "#!/bin/sh\nls /proc/self/fd\nenv\n");
    fs::permissions(standIn.zefrun, fs::perms::owner_all);
    const RunOutcome shown = runProgram(dir / "env.pas", exercise, exercise.cases.at(0), standIn);
    EXPECT_NE(shown.output.find("\n3\n"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find("\n47\n"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find("jeton-0451"), std::string::npos) << shown.output;

    // zefrun run for a grader closes what it was given beyond its streams and status
    // socket itself: the program cannot reopen the teacher's file by its descriptor.
    int status[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, status), 0);
    ASSERT_EQ(::dup2(status[1], 48), 48);
    const Finished direct = runCommand({ZEF_ZEFRUN, "--status-fd", "48",
                                        program(dir / "fd.pas", readInto("/proc/self/fd/47")).string()});
    for (const int fd : {47, 48, leaked, status[0], status[1]}) ::close(fd);
    ::unsetenv("ZEF_JETON_DU_PROF");
    EXPECT_EQ(direct.status, 1) << direct.err;
    EXPECT_EQ(direct.out.find("contenu secret"), std::string::npos);
    canaries.expectUntouched();
}

TEST(Hostile, AConfinedRunReachesNeitherItsParentNorItsNeighboursNorAnythingByName) {
    if (landlockAbi() == 0) GTEST_SKIP() << "the kernel offers no Landlock: confinement cannot be shown here";
    TempDir dir;
    Canaries canaries;
    // Runs are made in dir/runs: beside each one stand a file of the parent folder and the
    // folder of another run.
    const fs::path runs = dir / "runs";
    canaries.add(runs / "parent.txt", "du dossier parent\n");
    canaries.add(runs / "voisin" / "copie.txt", "la copie du voisin\n");
    writeFile(dir / "essais" / "01.out", "?\n");
    const Exercise exercise = casesIn(dir / "essais");
    const RunSettings settings = settingsIn(runs, true);
    ASSERT_EQ(::setenv("ZEF_JETON_DU_PROF", "jeton-0451", 1), 0);
    auto attempt = [&](const std::string& name, const std::vector<std::string>& body) {
        return runCase(program(dir / name, body), exercise, exercise.cases.at(0), settings);
    };
    // Each attempt comes after a write and a read in its own folder, which succeed.
    const std::vector<std::string> own{"  ASSIGN(F,'ici.txt');", "  REWRITE(F);", "  WRITELN(F,'ici');",
                                       "  CLOSE(F);",         "  RESET(F);",    "  READLN(F,S);",
                                       "  CLOSE(F);",         "  WRITELN(S);"};
    auto after = [&](std::vector<std::string> body) {
        body.insert(body.begin(), own.begin(), own.end());
        return body;
    };
    std::vector<CaseResult> refused{
        attempt("parent.pas", after(readInto("..\\parent.txt"))),
        attempt("voisin.pas", after(readInto("../voisin/copie.txt"))),
        attempt("plante.pas", after({"  ASSIGN(F,'../plante.txt');", "  REWRITE(F);", "  CLOSE(F);"})),
        attempt("efface.pas", after({"  DELETEFILE '../voisin/copie.txt';"})),
        attempt("sonde.pas", after({"  CHDIR '../voisin';"})),
    };
#if !defined(__SANITIZE_ADDRESS__) // the sanitizers' builds may read their own /proc entries
    refused.push_back(attempt("environ.pas", after(readInto("/proc/self/environ"))));
    refused.push_back(attempt("cmdline.pas", after(readInto("/proc/self/cmdline"))));
#endif
    for (const CaseResult& result : refused) {
        EXPECT_EQ(result.verdict, Verdict::Error) << verdictText(result);
        EXPECT_EQ(result.obtained, "ici\n");
        EXPECT_GT(result.line, 13) << "the attempt, after the program's own file: " << verdictText(result);
    }
    // Inside its folder a run goes and comes back as it likes; CHDIR '..' from its top is
    // refused like a folder that does not exist.
    const CaseResult inside = attempt("dedans.pas", after({"  MKDIR 'sous';", "  CHDIR 'sous';", "  CHDIR '..';",
                                                           "  RESET(F);", "  READLN(F,S);", "  WRITELN(S);",
                                                           "  CHDIR '..';"}));
    const CaseResult missing = attempt("absent.pas", after({"  CHDIR 'absent';"}));
    ::unsetenv("ZEF_JETON_DU_PROF");
    EXPECT_EQ(inside.obtained, "ici\nici\n");
    EXPECT_EQ(inside.verdict, Verdict::Error);
    EXPECT_EQ(inside.line, 20);
    std::string asMissing = missing.message;
    asMissing.replace(asMissing.find("absent"), 6, "..");
    EXPECT_EQ(inside.message, asMissing);
    EXPECT_FALSE(fs::exists(runs / "plante.txt"));
    for (const auto& entry : fs::directory_iterator(runs))
        EXPECT_TRUE(entry.path().filename() == "parent.txt" || entry.path().filename() == "voisin") << entry.path();
    canaries.expectUntouched();
}

TEST(Hostile, NothingTheProgramWritesDecidesItsVerdictOrPassesItsBounds) {
    TempDir dir;
    writeFile(dir / "essais" / "01.out", "?\n");
    const Exercise exercise = casesIn(dir / "essais");
    for (const bool confine : {false, landlockAbi() > 0}) {
        RunSettings settings = settingsIn(dir.path, confine);
        const fs::path plain = program(dir / "simple.pas", {"  I := INCONNU;"});
        // The same error, after the program wrote what zefrun would say to its stderr.
        const fs::path forger = program(
            dir / "faussaire.pas",
            {"  ASSIGN(F,'/dev/stderr');", "  REWRITE(F);", "  WRITELN(F,'" + (dir / "faussaire.pas").string() +
                 ":1: zefrun : erreur interne');", "  WRITELN(F,'zefrun : erreur interne');", "  CLOSE(F);",
             "  I := INCONNU;"});
        const CaseResult honest = runCase(plain, exercise, exercise.cases.at(0), settings);
        const CaseResult forged = runCase(forger, exercise, exercise.cases.at(0), settings);
        ASSERT_EQ(honest.verdict, Verdict::Error) << verdictText(honest);
        EXPECT_EQ(forged.verdict, Verdict::Error) << verdictText(forged);
        // Confined, opening /dev/stderr may be refused (line 7); else the forgery is written
        // and the run judged by its real error all the same.
        if (!confine || forged.line != 7) {
            EXPECT_EQ(forged.line, 11) << verdictText(forged);
            EXPECT_EQ(forged.message, honest.message);
        }

        // Standard output by another name counts to the output bound, which zefrun applies itself.
        settings.limits.outputBytes = 4000;
        const fs::path flood = program(dir / "deborde.pas", {"  ASSIGN(F,'/dev/stdout');", "  REWRITE(F);",
                                                             "  FOR I:=1 TO 1000 DO", "  BEGIN",
                                                             "    WRITELN(F,'0123456789012345678901234567890123456789');",
                                                             "  END;", "  CLOSE(F);"});
        const RunOutcome run = runProgram(flood, exercise, exercise.cases.at(0), settings);
        if (!confine || run.status == zefrun_status::OutputLimit) {
            EXPECT_TRUE(run.exited) << run.errors;
            EXPECT_EQ(run.status, zefrun_status::OutputLimit) << run.errors;
            EXPECT_LE(run.output.size(), 4000u);
        }
    }
}

TEST(Hostile, TheFileBoundStopsTheRunThatWritesTooMuchAndNoOther) {
    TempDir dir;
    writeFile(dir / "essais" / "01.out", "fini\n");
    const Exercise exercise = casesIn(dir / "essais");
    RunSettings settings = settingsIn(dir / "runs", landlockAbi() > 0);
    fs::create_directories(settings.scratchParent);
    settings.limits.fileBytes = 64 * 1024;
    const std::string line = "    WRITELN(F,'" + std::string(100, 'x') + "');";
    // Two files that together pass the bound, each of them below it; and a classmate who
    // writes 60 KiB, just under it.
    const fs::path hog = program(dir / "vorace.pas", {"  ASSIGN(F,'a.txt');", "  REWRITE(F);",
                                                      "  FOR I:=1 TO 400 DO", "  BEGIN", line, "  END;",
                                                      "  CLOSE(F);", "  ASSIGN(F,'b.txt');", "  REWRITE(F);",
                                                      "  FOR I:=1 TO 400 DO", "  BEGIN", line, "  END;",
                                                      "  CLOSE(F);", "  WRITELN('fini');"});
    const fs::path modest = program(dir / "sobre.pas", {"  ASSIGN(F,'a.txt');", "  REWRITE(F);",
                                                        "  FOR I:=1 TO 600 DO", "  BEGIN", line, "  END;",
                                                        "  CLOSE(F);", "  WRITELN('fini');"});
    const auto results = gradeAll({{hog, &exercise}, {modest, &exercise}}, settings, 2);
    EXPECT_EQ(results[0].cases[0].verdict, Verdict::TooMuchWriting) << verdictText(results[0].cases[0]);
    EXPECT_EQ(results[1].cases[0].verdict, Verdict::Passed) << verdictText(results[1].cases[0]);
    const RunOutcome run = runProgram(hog, exercise, exercise.cases.at(0), settings);
    EXPECT_EQ(run.status, zefrun_status::FileLimit) << run.errors;
    EXPECT_TRUE(fs::is_empty(settings.scratchParent));
}
