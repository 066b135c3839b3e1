// Grading random hostile classes: programs made of statements that reach for the teacher's
// files, the environment, /proc and /dev, fill the disk, write control characters and
// formulas, under odd file names; each class graded by the real zefcorrige with every
// report. After each class: the teacher's files are as they were, nothing secret shows
// in any report, every JSON line and both XML reports parse, no scratch folder is left.
//
//   grading_fuzz ZEFCORRIGE SECONDS [SEED]
//
// Exit status 0 when every class passed; 1 with the failing class kept (its folder is
// printed) and the seed to run it again.
#include "confinement.h"
#include "grading_support.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QXmlStreamReader>

#include <iostream>
#include <random>

using namespace grading_test;

namespace {

const std::string kSecret = "secret-du-prof-7391";

struct Generator {
    std::mt19937 random;
    std::vector<std::string> names;

    int below(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }
    const std::string& pick(const std::vector<std::string>& from) { return from[below(static_cast<int>(from.size()))]; }

    std::string literal() {
        static const std::vector<std::string> texts{"bonjour", "=1+2", "@SOMME(A1)", "-3", "\xC3\xA9t\xC3\xA9", "x,y;\"z\"",
                                                    "<b>&amp;</b>", "zefrun : erreur interne", "fin"};
        return pick(texts);
    }
    std::string statement(int depth) {
        switch (below(depth > 1 ? 9 : 11)) {
        case 0: return "  WRITELN('" + literal() + "');";
        case 1: return "  S := CHR(" + std::to_string(below(256)) + ");\r\n  WRITE(S);";
        case 2: return "  ASSIGN(F,'" + pick(names) + "');\r\n  RESET(F);\r\n  READLN(F,S);\r\n  WRITELN(S);";
        case 3: return "  ASSIGN(F,'" + pick(names) + "');\r\n  REWRITE(F);\r\n  WRITELN(F,'" + literal() + "');";
        case 4: return "  CLOSE(F);";
        case 5: return std::string("  ") + pick({"DELETEFILE", "MKDIR", "RMDIR", "CHDIR"}) + " '" + pick(names) + "';";
        case 6: return "  READLN(S);\r\n  WRITELN(S);";
        case 7: return "  I := I " + pick({"+", "*", "/", "\\"}) + " " + std::to_string(below(3)) + ";\r\n  WRITELN(I);";
        case 8: return "  N := PARAMCOUNT;\r\n  WRITELN(N);";
        case 9: return "  FOR K:=1 TO " + std::to_string(1 + below(3000)) + " DO\r\n  BEGIN\r\n" + statement(depth + 1) +
                       "\r\n  END;";
        default: return "  I := 0;\r\n  WHILE I < 1 DO\r\n  BEGIN\r\n" + statement(depth + 1) + "\r\n  END;\r\n  WEND;";
        }
    }
    std::string program() {
        std::string text = "PROGRAM Hasard;\r\nVAR F: TEXTFILE;\r\nVAR S: STRING;\r\nVAR I, K, N: INTEGER;\r\nBEGIN\r\n";
        for (int i = 0, n = 1 + below(8); i < n; ++i) text += statement(0) + "\r\n";
        return text + "END.\r\n";
    }
    std::string fileName(int i) {
        static const std::vector<std::string> odd{"", "=", "-", "\x1b[2K", "\n", "\xEF\xBF\xBE", " ", "\xC3\xA9", "'", "\r"};
        return pick(odd) + "eleve" + std::to_string(i) + pick(odd) + ".pas";
    }
};

// The elements of a well-formed XML text, or -1.
int elements(const std::string& text) {
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    int count = 0;
    while (!xml.atEnd()) count += xml.readNext() == QXmlStreamReader::StartElement ? 1 : 0;
    return xml.hasError() ? -1 : count;
}

// One class graded; the reasons it failed, none when it passed.
std::vector<std::string> gradeOneClass(const std::string& zefcorrige, Generator& generate, const fs::path& dir) {
    const fs::path prof = dir / "prof", scratch = dir / "tmp", cases = dir / "essais", copies = dir / "copies";
    writeFile(prof / "secret.txt", kSecret + "\r\n");
    writeFile(prof / "garde" / "notes.txt", "notes\r\n");
    fs::create_directories(scratch);
    writeFile(cases / "01.in", "ligne\r\n");
    writeFile(cases / "01.out", "?\n");
    writeFile(cases / "02.args", "un deux");
    writeFile(cases / "02.out", "?\n");
    writeFile(cases / "fichiers" / "donnees.txt", "donnee\r\n");
    generate.names = {"donnees.txt", "a.txt", "sous", "..", "..\\..", (prof / "secret.txt").string(),
                      (prof / "garde").string(), "/proc/self/environ", "/proc/self/cmdline", "/dev/stdout",
                      "/dev/stderr", "/proc/self/fd/3", "/dev/fd/3", (prof / "plante.txt").string(), "/tmp"};
    for (int i = 0; i < 6; ++i) writeFile(copies / generate.fileName(i), generate.program());

    ::setenv("ZEF_JETON", kSecret.c_str(), 1);
    ::setenv("TMPDIR", scratch.c_str(), 1);
    const Finished graded = runCommand({zefcorrige, "--json", "-j", "2", "--max-temps", "2", "--max-instructions",
                                        "300000", "--max-sortie", "8K", "--max-fichiers", "64K", "--csv",
                                        (dir / "r.csv").string(), "--junit", (dir / "r.xml").string(), "--html",
                                        (dir / "r.html").string(), cases.string(), copies.string()});
    ::unsetenv("TMPDIR");
    ::unsetenv("ZEF_JETON");

    std::vector<std::string> failures;
    if (graded.status != 0 && graded.status != 1)
        failures.push_back("statut " + std::to_string(graded.status) + " : " + graded.err);
    std::istringstream lines(graded.out);
    int runs = 0;
    for (std::string line; std::getline(lines, line); ++runs) {
        QJsonParseError error{};
        const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        if (error.error != QJsonParseError::NoError || !json.object().contains("verdict"))
            failures.push_back("ligne JSON illisible : " + line);
    }
    if (runs != 12) failures.push_back(std::to_string(runs) + " lignes JSON au lieu de 12");
    for (const char* report : {"r.xml", "r.html"})
        if (elements(readFile(dir / report)) <= 0) failures.push_back(std::string(report) + " mal formé");
    for (const std::string& text : {graded.out, graded.err, readFile(dir / "r.csv"), readFile(dir / "r.xml"),
                                    readFile(dir / "r.html")})
        if (text.find(kSecret) != std::string::npos) failures.push_back("le secret apparaît dans un rapport");
    if (readFile(prof / "secret.txt") != kSecret + "\r\n" || readFile(prof / "garde" / "notes.txt") != "notes\r\n" ||
        fs::exists(prof / "plante.txt"))
        failures.push_back("un fichier du professeur a changé");
    if (!fs::is_empty(scratch)) failures.push_back("un dossier de travail est resté");
    return failures;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage : grading_fuzz ZEFCORRIGE SECONDES [GRAINE]\n";
        return 2;
    }
    if (zef::landlockAbi() == 0) {
        // Unconfined, a random program may well delete the teacher's files: that is what
        // the confinement is for, and there is nothing to fuzz without it.
        std::cout << "grading_fuzz : le noyau n'offre pas Landlock, rien à essayer ici\n";
        return 0;
    }
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::stoul(argv[3])) : std::random_device{}();
    Generator generate{std::mt19937(seed), {}};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::stoi(argv[2]));
    int classes = 0;
    while (std::chrono::steady_clock::now() < end) {
        auto dir = std::make_unique<TempDir>();
        const std::vector<std::string> failures = gradeOneClass(argv[1], generate, dir->path);
        ++classes;
        if (!failures.empty()) {
            std::cerr << "grading_fuzz : classe " << classes << " (graine " << seed << ") gardée dans "
                      << dir->path << "\n";
            for (const std::string& failure : failures) std::cerr << "  " << failure << "\n";
            dir->path.clear(); // kept for a look
            return 1;
        }
    }
    std::cout << "grading_fuzz : " << classes << " classes corrigées sans faute (graine " << seed << ")\n";
    return 0;
}
