// zefcorrige as a teacher uses it: expected outputs written from a solution, a class
// graded, each report read back by a parser of its format, the exit statuses, and the
// progress bar that shows only on a terminal.
#include "grading_support.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <pty.h>

#include <functional>

using namespace grading_test;

namespace {

const fs::path kExamples = ZEF_EXAMPLES_DIR;

Finished zefcorrige(std::vector<std::string> args) {
    args.insert(args.begin(), ZEF_ZEFCORRIGE);
    // Where the kernel cannot confine, grading runs unconfined; the confinement itself is
    // shown by the runs' own tests.
    args.insert(args.begin() + 1, "--sans-isolation");
    return runCommand(args);
}

// The example exercise's inputs, parameters and data files, without its expected outputs.
fs::path casesWithoutExpected(const TempDir& dir) {
    const fs::path essais = dir / "essais";
    fs::create_directories(essais);
    for (const auto& entry : fs::directory_iterator(kExamples / "table.essais"))
        if (entry.path().extension() != ".out")
            fs::copy(entry.path(), essais / entry.path().filename(), fs::copy_options::recursive);
    return essais;
}

// A class: the solution, a program that stops on an error, and one whose output holds
// characters that every report must escape.
fs::path classOfThree(const TempDir& dir) {
    const fs::path copies = dir / "copies";
    fs::create_directories(copies);
    fs::copy_file(kExamples / "table.pas", copies / "a_juste.pas");
    writeProgram(copies / "b_erreur.pas", {"PROGRAM Erreur;", "VAR N: INTEGER;", "BEGIN", "  N := INCONNU;", "END."});
    writeProgram(copies / "c_bizarre.pas", {"PROGRAM Bizarre;", "VAR S: STRING;", "BEGIN", "  S := CHR(7);",
                                            "  WRITELN('<&> \"guillemets\"');", "  WRITELN(S);", "END."});
    writeFile(copies / "notes.txt", "not a program\n");
    return copies;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// RFC 4180 records: fields separated by commas (or `separator`), quoted when they hold
// one, quotes or line ends, records ended by CR LF.
std::vector<std::vector<std::string>> parseCsv(const std::string& text, char separator = ',') {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') rows.back().back() += '"', ++i;
            else if (c == '"') quoted = false;
            else rows.back().back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

} // namespace

TEST(Zefcorrige, ExpectedOutputsFromTheSolutionThenTheSolutionScoresFull) {
    TempDir dir;
    const fs::path essais = casesWithoutExpected(dir);
    // Without expected outputs there is nothing to grade against.
    const Finished refused = zefcorrige({essais.string(), (kExamples / "table.pas").string()});
    EXPECT_EQ(refused.status, 66);
    EXPECT_NE(refused.err.find("--creer-attendus"), std::string::npos) << refused.err;

    const Finished created = zefcorrige({"--creer-attendus", (kExamples / "table.pas").string(), essais.string()});
    EXPECT_EQ(created.status, 0) << created.err;
    std::size_t written = 0;
    for (const auto& entry : fs::directory_iterator(essais)) written += entry.path().extension() == ".out" ? 1 : 0;
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(readFile(essais / "02_neuf_jusqu_a_3.out"),
              "Table de multiplication\nQuelle table ? 9\n9 x 1 = 9\n9 x 2 = 18\n9 x 3 = 27\n");

    const Finished graded = zefcorrige({essais.string(), (kExamples / "table.pas").string()});
    EXPECT_EQ(graded.status, 0) << graded.out << graded.err;
    EXPECT_NE(graded.out.find("4/4"), std::string::npos) << graded.out;
    EXPECT_NE(graded.out.find("100 %"), std::string::npos) << graded.out;
    // Not on a terminal: no progress bar, nothing at all on stderr.
    EXPECT_EQ(graded.err, "");

    // A solution that does not run to the end of a case writes no output for it, and says so.
    writeFile(essais / "05_sans_entree.in", "");
    fs::remove(essais / "01_sept.out");
    const Finished partial = zefcorrige({"--creer-attendus", (kExamples / "table.pas").string(), essais.string()});
    EXPECT_EQ(partial.status, 1) << partial.err;
    EXPECT_NE(partial.err.find("05_sans_entree"), std::string::npos) << partial.err;
    EXPECT_TRUE(fs::exists(essais / "01_sept.out"));
    EXPECT_FALSE(fs::exists(essais / "05_sans_entree.out"));

    // The example exercise, found beside its program, passes as shipped.
    const Finished example = zefcorrige({(kExamples / "table.pas").string()});
    EXPECT_EQ(example.status, 0) << example.out << example.err;
}

TEST(Zefcorrige, EveryReportReadsBackWithAParserOfItsFormat) {
    TempDir dir;
    const fs::path copies = classOfThree(dir);
    const fs::path csv = dir / "classe.csv", junit = dir / "classe.xml", html = dir / "classe.html";
    const fs::path rfc = dir / "scripts.csv";
    const Finished graded = zefcorrige({"--json", "--csv", csv.string(), "--csv-rfc4180", rfc.string(), "--junit",
                                        junit.string(), "--html", html.string(), "-j", "2",
                                        (kExamples / "table.essais").string(), copies.string()});
    EXPECT_EQ(graded.status, 1) << graded.err;

    // JSON lines: one object per run, in the order of the programs and their cases.
    const std::vector<std::string> lines = linesOf(graded.out);
    ASSERT_EQ(lines.size(), 12u) << graded.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(lines[i]), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i];
        const QJsonObject run = document.object();
        const char* programs[] = {"a_juste.pas", "b_erreur.pas", "c_bizarre.pas"};
        EXPECT_EQ(run["programme"].toString().toStdString(), programs[i / 4]);
        EXPECT_EQ(run["reussi"].toBool(), i < 4) << lines[i];
        if (i / 4 == 1) {
            EXPECT_EQ(run["verdict"].toString(), QString::fromUtf8("Erreur"));
            EXPECT_EQ(run["ligne"].toInt(), 4);
        }
        if (i == 8) {
            // The first line of the odd program, escaped and read back as written.
            EXPECT_EQ(run["ligne_obtenue"].toString(), QString::fromUtf8("<&> \"guillemets\""));
        }
    }

    // JUnit: one suite per program, one test case per case, a failure per failed run.
    QXmlStreamReader xml(QByteArray::fromStdString(readFile(junit)));
    int suites = 0, cases = 0, failures = 0, declaredFailures = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"testsuite") {
            ++suites;
            declaredFailures += xml.attributes().value("failures").toInt();
        }
        cases += xml.name() == u"testcase" ? 1 : 0;
        failures += xml.name() == u"failure" ? 1 : 0;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(suites, 3);
    EXPECT_EQ(cases, 12);
    EXPECT_EQ(failures, 8);
    EXPECT_EQ(declaredFailures, 8);

    // HTML: well-formed, one block per program and case, the odd characters as written,
    // and each case's input and parameters, as its files hold them, beside its outputs.
    QXmlStreamReader page(QByteArray::fromStdString(readFile(html)));
    int blocks = 0, differingRows = 0;
    bool oddTextShown = false;
    QStringList inputsShown, parametersShown;
    while (!page.atEnd()) {
        const auto token = page.readNext();
        if (token == QXmlStreamReader::StartElement) {
            blocks += page.name() == u"details" ? 1 : 0;
            differingRows += page.name() == u"tr" && page.attributes().value("class").contains(u"diff") ? 1 : 0;
            if (page.name() == u"pre" && page.attributes().value("class") == u"entree")
                inputsShown << page.readElementText();
            else if (page.name() == u"code")
                parametersShown << page.readElementText();
        } else if (token == QXmlStreamReader::Characters) {
            oddTextShown = oddTextShown || page.text().contains(u"<&> \"guillemets\"");
        }
    }
    EXPECT_FALSE(page.hasError()) << page.errorString().toStdString();
    EXPECT_EQ(blocks, 12);
    EXPECT_GT(differingRows, 0);
    EXPECT_TRUE(oddTextShown);
    QStringList inputs, parameters;
    for (int program = 0; program < 3; ++program)
        for (const char* name : {"01_sept", "02_neuf_jusqu_a_3", "03_negatif", "04_douze_jusqu_a_12"}) {
            const std::string files = (kExamples / "table.essais" / name).string();
            inputs << QString::fromStdString(readFile(files + ".in")).trimmed();
            if (fs::exists(files + ".args")) parameters << QString::fromStdString(readFile(files + ".args")).trimmed();
        }
    EXPECT_EQ(inputsShown, inputs);
    EXPECT_EQ(parametersShown, parameters);

    // CSV for scripts: a heading row, then one row per program with one verdict per case
    // where they always were, the time last.
    const auto rows = parseCsv(readFile(rfc));
    ASSERT_EQ(rows.size(), 4u) << readFile(rfc);
    EXPECT_EQ(rows[0].size(), 10u);
    EXPECT_EQ(rows[1][0], "a_juste.pas");
    EXPECT_EQ(rows[1][3], "100");
    EXPECT_EQ(rows[2][1], "0");
    EXPECT_EQ(rows[2][5].rfind("Erreur ligne 4 : ", 0), 0u) << rows[2][5];
    for (const auto& row : rows) EXPECT_EQ(row.size(), rows[0].size());
    // CSV for a spreadsheet in French: a byte-order mark, then the same cells between
    // semicolons, the time with a decimal comma.
    const std::string sheetText = readFile(csv);
    ASSERT_EQ(sheetText.rfind("\xEF\xBB\xBF", 0), 0u) << sheetText.substr(0, 20);
    const auto sheet = parseCsv(sheetText.substr(3), ';');
    ASSERT_EQ(sheet.size(), rows.size()) << sheetText;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<std::string> expected = rows[r];
        if (r > 0) {
            ASSERT_NE(expected.back().find('.'), std::string::npos) << expected.back();
            expected.back().replace(expected.back().find('.'), 1, ",");
        }
        EXPECT_EQ(sheet[r], expected);
    }
}

TEST(Zefcorrige, ExitStatusesOfUsageAndInputs) {
    TempDir dir;
    const std::string table = (kExamples / "table.pas").string();
    const std::string essais = (kExamples / "table.essais").string();
    EXPECT_EQ(zefcorrige({}).status, 64);
    EXPECT_EQ(zefcorrige({"--frobnique", essais, table}).status, 64);
    EXPECT_EQ(zefcorrige({"-j", "0", essais, table}).status, 64);
    EXPECT_EQ(zefcorrige({"--max-sortie", "beaucoup", essais, table}).status, 64);
    // Regional settings that are not known are refused, not taken as French.
    EXPECT_EQ(zefcorrige({"--locale", "es_ES", essais, table}).status, 64);
    EXPECT_EQ(zefcorrige({"--locale", "en_GB.UTF-8", "--json", essais, table}).status, 0);
    EXPECT_EQ(zefcorrige({essais}).status, 64);
    EXPECT_EQ(zefcorrige({essais, (dir / "absent.pas").string()}).status, 66);
    EXPECT_EQ(zefcorrige({(dir / "absent.essais").string(), table}).status, 66);
    fs::create_directories(dir / "vide");
    EXPECT_EQ(zefcorrige({(dir / "vide").string(), table}).status, 66);
    EXPECT_EQ(zefcorrige({essais, (dir / "vide").string()}).status, 66);
    // A report that cannot be written is said, with its own status.
    EXPECT_EQ(zefcorrige({"--csv", (dir / "absent" / "x.csv").string(), essais, table}).status, 74);
    // Tight bounds turn the solution's runs into failures.
    const Finished bounded = zefcorrige({"--json", "--max-sortie", "30", essais, table});
    EXPECT_EQ(bounded.status, 1);
    EXPECT_NE(bounded.out.find("\"verdict\":\"Sortie trop longue\""), std::string::npos) << bounded.out;
}

TEST(Zefcorrige, TheProgressBarShowsOnATerminalOnly) {
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, slave, 2);
    posix_spawn_file_actions_addclose(&actions, master);
    std::vector<std::string> args{ZEF_ZEFCORRIGE, "--sans-isolation", (kExamples / "table.pas").string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(slave);
    // The terminal's side is read until the program has gone (EIO once no one holds it).
    std::string shown;
    char chunk[4096];
    for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;) shown.append(chunk, static_cast<std::size_t>(n));
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(shown.find("4/4 exécutions"), std::string::npos) << shown;
    // The bar is erased at the end: the terminal's line is left clean.
    EXPECT_NE(shown.rfind("\x1b[K"), std::string::npos) << shown;
}

namespace {

// zefcorrige started in the background, its outputs on /dev/null (or stdout on `out`), its
// scratch folders in `scratch` (TMPDIR).
pid_t startZefcorrige(std::vector<std::string> args, const fs::path& scratch, int out = -1) {
    args.insert(args.begin(), {ZEF_ZEFCORRIGE, "--sans-isolation"});
    std::vector<std::string> variables{"TMPDIR=" + scratch.string()};
    for (char** v = environ; *v; ++v)
        if (std::string_view(*v).rfind("TMPDIR=", 0) != 0) variables.emplace_back(*v);
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    for (auto& v : variables) envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, 1);
    else posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int exitStatusOf(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The processes whose working folder lies in `folder`: the runs still alive there.
int processesWorkingIn(const fs::path& folder) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const fs::path cwd = fs::read_symlink(entry.path() / "cwd", ec);
        if (!ec && cwd.string().rfind(folder.string(), 0) == 0) ++count;
    }
    return count;
}

// The elements named `element` in a well-formed XML text; -1 when it is not well-formed.
int elementsIn(const std::string& text, const char* element = "") {
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    int count = 0;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QString(element)) ++count;
    return xml.hasError() ? -1 : count;
}

void waitUntil(const std::function<bool()>& done) {
    const auto cap = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!done() && std::chrono::steady_clock::now() < cap) usleep(10'000);
}

} // namespace

TEST(Zefcorrige, ACasesFolderIsCheckedBeforeAnyRunAndNoPlantedNameIsWrittenThrough) {
    TempDir dir;
    const fs::path essais = casesWithoutExpected(dir);
    writeFile(dir / "prof" / "bashrc", "ne pas toucher\n");
    // The temporary name the expected outputs might be written under, planted as a link.
    for (const auto& entry : fs::directory_iterator(essais))
        if (entry.path().extension() == ".in")
            fs::create_symlink(dir / "prof" / "bashrc", entry.path().parent_path() / (entry.path().stem().string() + ".out.tmp"));
    const Finished created = zefcorrige({"--creer-attendus", (kExamples / "table.pas").string(), essais.string()});
    EXPECT_EQ(created.status, 0) << created.err;
    EXPECT_EQ(readFile(dir / "prof" / "bashrc"), "ne pas toucher\n");
    std::size_t links = 0, outputs = 0;
    for (const auto& entry : fs::directory_iterator(essais)) {
        links += entry.is_symlink() ? 1 : 0;
        outputs += entry.path().extension() == ".out" && entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(links, outputs);
    EXPECT_EQ(outputs, 4u);

    // A named pipe as an input, or an expected output that is a link to a secret: refused
    // at once (status 66, naming the file), the secret never shown.
    fs::remove(essais / "03_negatif.in");
    ASSERT_EQ(mkfifo((essais / "03_negatif.in").c_str(), 0600), 0);
    const Finished fifo = zefcorrige({essais.string(), (kExamples / "table.pas").string()});
    EXPECT_EQ(fifo.status, 66);
    EXPECT_NE(fifo.err.find("03_negatif.in"), std::string::npos) << fifo.err;
    fs::remove(essais / "03_negatif.in");
    fs::remove(essais / "01_sept.out");
    fs::create_symlink(dir / "prof" / "bashrc", essais / "01_sept.out");
    const Finished link = zefcorrige({"--json", essais.string(), (kExamples / "table.pas").string()});
    EXPECT_EQ(link.status, 66);
    EXPECT_NE(link.err.find("01_sept.out"), std::string::npos) << link.err;
    EXPECT_EQ((link.out + link.err).find("ne pas toucher"), std::string::npos);
}

TEST(Zefcorrige, ASignalStopsTheRunsRemovesTheirFoldersAndKeepsTheReportFiles) {
    TempDir dir;
    writeFile(dir / "essais" / "01.out", "jamais\n");
    writeFile(dir / "essais" / "02.out", "jamais\n");
    writeProgram(dir / "sans_fin.pas", {"PROGRAM SansFin;", "VAR I: INTEGER;", "BEGIN", "  I := 0;",
                                        "  WHILE I < 1 DO", "  BEGIN", "    I := I * 1;", "  END;", "  WEND;", "END."});
    for (const int signal : {SIGHUP, SIGTERM, SIGINT, SIGKILL}) {
        const fs::path scratch = dir / ("tmp" + std::to_string(signal));
        fs::create_directories(scratch);
        const std::string reports = (dir / ("rapport" + std::to_string(signal))).string();
        const pid_t pid = startZefcorrige({"-j", "2", "--max-temps", "600", "--max-instructions", "1000000000000",
                                           "--junit", reports + ".xml", "--html", reports + ".html",
                                           (dir / "essais").string(), (dir / "sans_fin.pas").string()},
                                          scratch);
        ASSERT_GT(pid, 0);
        // Once both runs are under way, the signal.
        waitUntil([&] { return processesWorkingIn(scratch) == 2; });
        ASSERT_EQ(processesWorkingIn(scratch), 2);
        kill(pid, signal);
        EXPECT_EQ(exitStatusOf(pid), 128 + signal) << strsignal(signal);
        if (signal == SIGKILL) {
            // Nothing can be cleaned up then, but the runs do not outlive their grader.
            waitUntil([&] { return processesWorkingIn(scratch) == 0; });
            EXPECT_EQ(processesWorkingIn(scratch), 0);
            continue;
        }
        EXPECT_EQ(processesWorkingIn(scratch), 0) << strsignal(signal);
        EXPECT_TRUE(fs::is_empty(scratch)) << strsignal(signal);
        // Both runs reported, as not done: no verdict on the program.
        EXPECT_EQ(elementsIn(readFile(reports + ".xml"), "error"), 2) << strsignal(signal);
        EXPECT_EQ(elementsIn(readFile(reports + ".html"), "details"), 2) << strsignal(signal);
    }

    // A reader of the output gone is no reason to lose the report file.
    int reader[2];
    ASSERT_EQ(pipe(reader), 0);
    close(reader[0]);
    const fs::path page = dir / "classe.html";
    const pid_t pid = startZefcorrige({"--json", "--html", page.string(), (kExamples / "table.pas").string()},
                                      dir.path, reader[1]);
    close(reader[1]);
    EXPECT_EQ(exitStatusOf(pid), 141);
    EXPECT_EQ(elementsIn(readFile(page), "details"), 4);
    EXPECT_NE(readFile(page).find("4/4"), std::string::npos);
}

TEST(Zefcorrige, NoNameAndNoOutputActsOnTheTerminalTheSpreadsheetOrTheXmlParser) {
    TempDir dir;
    writeFile(dir / "essais" / "01.out", "rien\n");
    writeFile(dir / "essais" / "-2+3.out", "=1+2\n");
    // A name with a line end, an escape, a leading "=" and a character XML forbids; an
    // output that would erase the terminal's line and then start a formula.
    const std::string name = "=nom\n\x1b[2K\xEF\xBF\xBE.pas";
    fs::create_directories(dir / "copies");
    writeProgram(dir / "copies" / name, {"PROGRAM Piege;", "VAR S: STRING;", "BEGIN", "  S := CHR(27);", "  WRITE(S);",
                                         "  WRITELN('[2K-1+2');", "  WRITELN('@1+2');", "END."});
    const fs::path csv = dir / "classe.csv", junit = dir / "classe.xml", html = dir / "classe.html";
    const Finished table = zefcorrige({"--csv", csv.string(), "--junit", junit.string(), "--html", html.string(),
                                       (dir / "essais").string(), (dir / "copies").string()});
    EXPECT_EQ(table.status, 1) << table.err;
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos) << table.out;
    EXPECT_EQ(table.out.find('\r'), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("\\x1B"), std::string::npos) << table.out;
    EXPECT_EQ(linesOf(table.out).size(), 4u) << table.out; // heading, rule, one row, totals
    const std::string sheet = readFile(csv); // for a spreadsheet in French: a byte-order mark, semicolons
    ASSERT_EQ(sheet.rfind("\xEF\xBB\xBF", 0), 0u);
    const auto rows = parseCsv(sheet.substr(3), ';');
    ASSERT_EQ(rows.size(), 2u) << sheet;
    EXPECT_EQ(rows[0].size(), rows[1].size()) << sheet;
    for (const auto& row : rows)
        for (const std::string& cell : row)
            EXPECT_TRUE(cell.empty() || std::string_view("=+-@").find(cell[0]) == std::string_view::npos) << cell;
    EXPECT_EQ(elementsIn(readFile(junit), "failure"), 2);
    EXPECT_EQ(elementsIn(readFile(html), "details"), 2);

    // The name reaches the JSON whole, and is judged like any other: the output differs.
    const Finished json = zefcorrige({"--json", (dir / "essais").string(), (dir / "copies").string()});
    const auto lines = linesOf(json.out);
    ASSERT_EQ(lines.size(), 2u) << json.out;
    for (const std::string& line : lines) {
        const QJsonObject run = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        EXPECT_EQ(run["programme"].toString().toStdString(), name);
        EXPECT_EQ(run["cle"].toString(), QString("sortie_differente")) << line;
    }
}

TEST(Zefcorrige, OnASmallDiskAProgramThatFillsItNeverMakesAClassmateFail) {
    // A small file system of its own for the runs' folders, in a mount namespace of the test.
    const std::vector<std::string> unshare{"/usr/bin/unshare", "--mount", "--propagation", "private"};
    std::vector<std::string> probe = unshare;
    probe.insert(probe.end(), {"/bin/sh", "-c", "mount -t tmpfs -o size=1m zefprobe /mnt"});
    if (runCommand(probe).status != 0)
        GTEST_SKIP() << "no mount namespace here (it needs root): the small disk cannot be made";
    TempDir dir;
    fs::create_directories(dir / "petit");
    writeFile(dir / "essais" / "01.out", "fini\n");
    const std::string line = "    WRITELN(F,'" + std::string(100, 'x') + "');";
    for (int i = 1; i <= 3; ++i) {
        // Three that write without end, three that write 1.5 MB, below the bound of 2 MiB.
        writeProgram(dir / "copies" / ("vorace" + std::to_string(i) + ".pas"),
                     {"PROGRAM Vorace;", "VAR F: TEXTFILE;", "BEGIN", "  ASSIGN(F,'a.txt');", "  REWRITE(F);",
                      "  WHILE 1 < 2 DO", "  BEGIN", line, "  END;", "  WEND;", "END."});
        writeProgram(dir / "copies" / ("sobre" + std::to_string(i) + ".pas"),
                     {"PROGRAM Sobre;", "VAR F: TEXTFILE;", "VAR I: INTEGER;", "BEGIN", "  ASSIGN(F,'a.txt');",
                      "  REWRITE(F);", "  FOR I:=1 TO 15000 DO", "  BEGIN", line, "  END;", "  CLOSE(F);",
                      "  WRITELN('fini');", "END."});
    }
    // Six runs at a time would need 12 MiB of an 8 MiB disk: zefcorrige runs fewer.
    std::vector<std::string> command = unshare;
    command.insert(command.end(), {"/bin/sh", "-c", "mount -t tmpfs -o size=8m zef \"$0\" && TMPDIR=\"$0\" exec \"$@\"",
                                   (dir / "petit").string(), ZEF_ZEFCORRIGE, "--sans-isolation", "--json", "-j", "6",
                                   "--max-fichiers", "2M", (dir / "essais").string(), (dir / "copies").string()});
    const Finished graded = runCommand(command);
    EXPECT_EQ(graded.status, 1) << graded.err;
    EXPECT_NE(graded.err.find(" 2 "), std::string::npos) << graded.err;
    const auto lines = linesOf(graded.out);
    ASSERT_EQ(lines.size(), 6u) << graded.out << graded.err;
    for (const std::string& json : lines) {
        const QJsonObject run = QJsonDocument::fromJson(QByteArray::fromStdString(json)).object();
        const bool hog = run["programme"].toString().startsWith("vorace");
        EXPECT_EQ(run["cle"].toString(), QString(hog ? "trop_d_ecriture" : "reussi")) << json;
    }
}
