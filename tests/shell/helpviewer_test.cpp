// The help: its pages, links, keyword index and contents, every example it shows (run
// through the interpreter, compared with the output the page prints beside it), the
// keyword search, and the three entry points of the help viewer.
#include "helpindex.h"
#include "helpviewer.h"
#include "messages.h"
#include "recording_platform.h"
#include "vocabulary.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using zef::HelpIndex;
using zef::HelpKeyword;

namespace {

// Qt's rich text needs a GUI application, for the page tests as for the window tests.
class QtApplication : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "help_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};
[[maybe_unused]] const auto* const qtApplication = ::testing::AddGlobalTestEnvironment(new QtApplication);

QStringList helpPages() {
    QDir dir(QStringLiteral(":/help"));
    return dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

QString pageText(const QString& page) {
    return QString::fromUtf8(THelpViewer::helpFile(page));
}

struct PageLinks {
    QSet<QString> anchors;
    QStringList hrefs;
};

// What Qt's rich text engine, which the viewer uses, sees as anchors and links.
PageLinks linksOf(const QString& page) {
    QTextDocument doc;
    doc.setHtml(pageText(page));
    PageLinks out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            for (const auto& n : f.anchorNames()) out.anchors.insert(n);
            if (f.isAnchor() && !f.anchorHref().isEmpty() && !out.hrefs.contains(f.anchorHref()))
                out.hrefs << f.anchorHref();
        }
    }
    return out;
}

const std::map<QString, PageLinks>& allLinks() {
    static const std::map<QString, PageLinks> links = [] {
        std::map<QString, PageLinks> m;
        for (const auto& p : helpPages()) m[p] = linksOf(p);
        return m;
    }();
    return links;
}

// "" when target (relative to a page of the help) leads to an existing page and anchor,
// else what is wrong with it.
QString checkTarget(const QString& target) {
    const QUrl url = THelpViewer::targetUrl(target);
    if (url.scheme() != QStringLiteral("qrc")) return QStringLiteral("leaves the help");
    const QString page = url.adjusted(QUrl::RemoveFragment).fileName();
    const auto it = allLinks().find(page.isEmpty() ? QStringLiteral("index.html") : page);
    if (it == allLinks().end()) return QStringLiteral("no page ") + page;
    if (url.hasFragment() && !it->second.anchors.contains(url.fragment()))
        return QStringLiteral("no anchor ") + url.fragment() + QStringLiteral(" in ") + page;
    return {};
}

HelpIndex shippedIndex() {
    HelpIndex index;
    index.load(THelpViewer::helpFile(QStringLiteral("motscles.txt")).toStdString());
    return index;
}

// The words of the language, as the interpreter's own tables list them.
std::set<std::string> interpreterKeywords() {
    std::set<std::string> words;
    for (const auto& w : zef::kStatementWords) words.emplace(w.word);
    for (const auto& w : zef::kFunctionWords) words.emplace(w.word);
    for (const auto& w : zef::kReservedWords) words.emplace(w);
    return words;
}

// An example of the help: a whole program, what it is given, and what the page says it
// shows on the screen and in message boxes.
struct Example {
    QString page;
    QString program;
    QStringList input;
    QString arguments;
    QStringList screen;
    QStringList messages;
    bool hasResult = false;
};

QString plainText(const QString& html) {
    return QTextDocumentFragment::fromHtml(QStringLiteral("<pre>") + html + QStringLiteral("</pre>")).toPlainText();
}

QStringList rightTrimmedLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (auto& l : lines) {
        while (l.endsWith(QLatin1Char(' '))) l.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

std::vector<Example> examples() {
    std::vector<Example> out;
    static const QRegularExpression block(
        QStringLiteral(R"re(<pre class="(exemple|sortie|message)"([^>]*)>(.*?)</pre>)re"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression input(QStringLiteral(R"re(data-entree="([^"]*)")re"));
    static const QRegularExpression args(QStringLiteral(R"re(data-parametres="([^"]*)")re"));
    for (const auto& page : helpPages()) {
        auto it = block.globalMatch(pageText(page));
        while (it.hasNext()) {
            const auto m = it.next();
            const QString kind = m.captured(1);
            if (kind == QStringLiteral("exemple")) {
                Example e;
                e.page = page;
                e.program = plainText(m.captured(3));
                if (const auto i = input.match(m.captured(2)); i.hasMatch())
                    e.input = i.captured(1).split(QLatin1Char('|'));
                if (const auto a = args.match(m.captured(2)); a.hasMatch()) e.arguments = a.captured(1);
                out.push_back(e);
                continue;
            }
            if (out.empty() || out.back().page != page) {
                ADD_FAILURE() << page.toStdString() << ": a result with no example before it";
                continue;
            }
            auto& e = out.back();
            e.hasResult = true;
            (kind == QStringLiteral("sortie") ? e.screen : e.messages) = rightTrimmedLines(plainText(m.captured(3)));
        }
    }
    return out;
}

class RecordingPrinter : public zef::PrinterDevice {
public:
    bool open() override { return true; }
    bool write(const std::string& t) override { return text += t, true; }
    bool newLine() override { return text += "\n", true; }
    bool close() override { return true; }
    std::string text;
};

struct ExampleRun {
    QStringList screen, messages;
    QStringList errors; // the run's error messages, without the boxes of SHOWMESSAGE
    std::int32_t status = 0;
    std::string abandoned;
};

// The screen as rows 18 pixels apart, blank rows included, drawings joined left to right.
QStringList screenRows(const zef::testing::RecordingScreen& screen) {
    std::map<int, std::map<int, std::string>> rows;
    for (const auto& d : screen.drawings) rows[d.y][d.x] += d.text;
    QStringList out;
    if (rows.empty()) return out;
    for (int y = rows.begin()->first; y <= rows.rbegin()->first; y += 18) {
        std::string line;
        for (const auto& [x, t] : rows[y]) line += t;
        out << QString::fromStdString(zef::cp1252ToUtf8(line));
    }
    return rightTrimmedLines(out.join(QLatin1Char('\n')));
}

ExampleRun run(const Example& e) {
    using namespace zef::testing;
    RecordingScreen screen;
    RecordingMessages messages;
    FixedClock clock;
    RecordingPrinter printer;
    // A program that never ends is stopped as the Stop command would stop it, after some
    // two hundred thousand statements: far more than any example needs.
    CountingPoll poll;
    poll.stopAfter = 100;
    zef::Platform platform;
    platform.screen = &screen;
    platform.messages = &messages;
    platform.clock = &clock;
    platform.printer = &printer;
    platform.poll = &poll;
    platform.regional = zef::RegionalSettings::forLocale("fr_FR");
    zef::Interpreter interpreter(platform);
    interpreter.InitPrg("essai.pas");
    interpreter.setRunArguments(zef::utf8ToCp1252(e.arguments.toStdString()));
    for (const auto& i : e.input) screen.input.push_back(zef::utf8ToCp1252(i.toStdString()));
    std::vector<std::string> lines;
    for (const auto& l : e.program.split(QLatin1Char('\n'))) lines.push_back(zef::utf8ToCp1252(l.toStdString()));
    VectorLines program(lines);

    // Programs that write files do it in a directory of their own.
    QTemporaryDir dir;
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    ExampleRun r;
    std::int32_t line = 0, step = 0;
    try {
        interpreter.Exec(program, line, step, r.status);
    } catch (const zef::RunAbandoned& a) {
        r.abandoned = zef::cp1252ToUtf8(a.what());
    }
    QDir::setCurrent(before);
    r.screen = screenRows(screen);
    for (const auto& s : screen.shown) r.messages << QString::fromStdString(zef::cp1252ToUtf8(s));
    for (const auto& m : messages.messages) r.messages << QString::fromStdString(m);
    for (const auto& m : messages.messages) r.errors << QString::fromStdString(m);
    // A stop without a message, as the IDE's error box words it.
    if (!interpreter.stopReason().empty())
        r.errors << QString::fromStdString(zef::cp1252ToUtf8(zef::stoppedBecause(interpreter.stopReason())));
    if (!r.abandoned.empty()) r.errors << QString::fromStdString(r.abandoned);
    return r;
}

} // namespace

TEST(HelpPages, EveryPageIsShippedAndWellFormed) {
    const QStringList pages = helpPages();
    QDir source(QStringLiteral(ZEF_HELP_SOURCES));
    const QStringList written = source.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(written.isEmpty()) << source.path().toStdString();
    EXPECT_EQ(pages, written) << "every page of help/ must be listed in help/help.qrc";
    for (const auto& required : {"index.html", "aide.html"}) EXPECT_TRUE(pages.contains(QLatin1String(required)));

    for (const auto& page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QByteArray bytes = THelpViewer::helpFile(page);
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder(bytes);
        EXPECT_FALSE(decoder.hasError()) << "not UTF-8";
        EXPECT_TRUE(text.contains(QStringLiteral("<meta charset=\"utf-8\"/>")));
        QXmlStreamReader xml(text);
        QString title;
        int h1 = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QStringLiteral("title")) title = xml.readElementText();
            if (xml.isStartElement() && xml.name() == QStringLiteral("h1")) ++h1;
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
        EXPECT_FALSE(title.trimmed().isEmpty());
        EXPECT_EQ(h1, 1);
    }
}

TEST(HelpPages, EveryLinkLeadsToAnExistingPageAndAnchor) {
    int links = 0;
    for (const auto& [page, l] : allLinks()) {
        for (const auto& href : l.hrefs) {
            ++links;
            const QString target = href.startsWith(QLatin1Char('#')) ? page + href : href;
            EXPECT_EQ(checkTarget(target), QString()) << page.toStdString() << " -> " << href.toStdString();
        }
    }
    EXPECT_GT(links, 100);
    // And every page can be reached from the contents page.
    QSet<QString> reached{QStringLiteral("index.html")};
    QStringList todo{QStringLiteral("index.html")};
    while (!todo.isEmpty()) {
        const QString p = todo.takeFirst();
        for (const auto& href : allLinks().at(p).hrefs) {
            const QString target = THelpViewer::targetUrl(href).adjusted(QUrl::RemoveFragment).fileName();
            if (!target.isEmpty() && !reached.contains(target) && allLinks().count(target)) {
                reached.insert(target);
                todo << target;
            }
        }
    }
    for (const auto& page : helpPages()) EXPECT_TRUE(reached.contains(page)) << page.toStdString();
}

TEST(HelpIndexFile, EveryEntryAndTopicResolves) {
    std::vector<std::string> errors;
    HelpIndex index;
    index.load(THelpViewer::helpFile(QStringLiteral("motscles.txt")).toStdString(), &errors);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_GT(index.entries().size(), 150u);
    for (const auto& e : index.entries())
        EXPECT_EQ(checkTarget(QString::fromStdString(e.target)), QString()) << e.keyword;

    const auto topics = zef::parseHelpContents(THelpViewer::helpFile(QStringLiteral("sommaire.txt")).toStdString(), &errors);
    EXPECT_TRUE(errors.empty());
    QSet<QString> pagesInContents;
    int previousLevel = -1;
    for (const auto& t : topics) {
        EXPECT_EQ(checkTarget(QString::fromStdString(t.target)), QString()) << t.title;
        EXPECT_LE(t.level, previousLevel + 1) << t.title << " skips a level";
        previousLevel = t.level;
        pagesInContents.insert(QString::fromStdString(zef::splitHelpTarget(t.target).first));
    }
    for (const auto& page : helpPages()) EXPECT_TRUE(pagesInContents.contains(page)) << page.toStdString();
}

namespace {

// The identifiers of the run's messages, in the catalogue's order, then those of the
// reasons of a stop without a message: the anchors of their entries on the page of messages.
const char* const kMessageNames[] = {
#define ZEF_TEST_MESSAGE_NAME(name, text) #name,
    ZEF_MESSAGES(ZEF_TEST_MESSAGE_NAME) ZEF_STOP_REASONS(ZEF_TEST_MESSAGE_NAME)
#undef ZEF_TEST_MESSAGE_NAME
};
constexpr int kEntryCount = zef::kMessageCount + zef::kStopReasonCount;

// A message, or a reason as the IDE's error box words it.
QString catalogueText(int index) {
    if (index >= zef::kMessageCount) {
        const auto reason = static_cast<zef::StopReason>(index - zef::kMessageCount);
        const std::string withPlaceholder = zef::utf8ToCp1252(std::string(zef::stopReasonText(reason)));
        return QString::fromStdString(zef::cp1252ToUtf8(zef::stoppedBecause(withPlaceholder)));
    }
    const std::string_view text = zef::messageText(static_cast<zef::Message>(index));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A message as a run shows it: the catalogue's text with any name or number for its "%1".
QRegularExpression shownAs(const QString& catalogued) {
    QStringList parts = catalogued.split(QStringLiteral("%1"));
    for (auto& p : parts) p = QRegularExpression::escape(p);
    return QRegularExpression(QLatin1Char('^') + parts.join(QStringLiteral(".+")) + QLatin1Char('$'));
}

// One entry of the page of messages: the message as its heading shows it, what it means,
// its usual cause, and lines that give it beside the same lines corrected. The lines stand
// where "..." stands in the program around them (data-programme, lines split at "|"),
// which is run with the input of data-entree. A faulty example marked data-abrege only
// sketches the fault (two hundred names...) and is not run.
struct MessageEntry {
    QString title, meaning, cause;
    QString faulty, corrected, around, input;
    bool sketch = false;
    bool hasExample = false;

    QString program(const QString& lines) const {
        QStringList out;
        for (const QString& l : around.split(QLatin1Char('|')))
            out << (l == QStringLiteral("...") ? lines : l);
        return out.join(QLatin1Char('\n'));
    }
};

// The page's entries by anchor name, each running up to the next anchor.
std::map<QString, MessageEntry> messageEntries() {
    const QString html = pageText(QStringLiteral("messages.html"));
    static const QRegularExpression anchor(QStringLiteral(R"re(<a name="([^"]+)">)re"));
    const auto dot = QRegularExpression::DotMatchesEverythingOption;
    static const QRegularExpression title(QStringLiteral("^(.*?)</a>"), dot);
    static const QRegularExpression meaning(QStringLiteral("<b>Ce que cela veut dire :</b>(.*?)</p>"), dot);
    static const QRegularExpression cause(QStringLiteral("<b>Cause fréquente :</b>(.*?)</p>"), dot);
    static const QRegularExpression table(QStringLiteral(R"re(<table [^>]*data-programme="([^"]*)"([^>]*)>)re"));
    static const QRegularExpression input(QStringLiteral(R"re(data-entree="([^"]*)")re"));
    static const QRegularExpression faulty(QStringLiteral(R"re(<pre class="faux"([^>]*)>(.*?)</pre>)re"), dot);
    static const QRegularExpression corrected(QStringLiteral(R"re(<pre class="corrige">(.*?)</pre>)re"), dot);
    std::vector<QRegularExpressionMatch> anchors;
    for (auto it = anchor.globalMatch(html); it.hasNext();) anchors.push_back(it.next());
    std::map<QString, MessageEntry> entries;
    for (std::size_t i = 0; i < anchors.size(); ++i) {
        const qsizetype start = anchors[i].capturedEnd();
        const qsizetype end = i + 1 < anchors.size() ? anchors[i + 1].capturedStart() : html.size();
        const QString chunk = html.mid(start, end - start);
        MessageEntry e;
        auto captured = [&](const QRegularExpression& re) {
            const auto m = re.match(chunk);
            return m.hasMatch() ? plainText(m.captured(1)).simplified() : QString();
        };
        e.title = captured(title);
        e.meaning = captured(meaning);
        e.cause = captured(cause);
        if (const auto t = table.match(chunk); t.hasMatch()) {
            e.around = plainText(t.captured(1));
            if (const auto in = input.match(t.captured(2)); in.hasMatch()) e.input = plainText(in.captured(1));
        }
        if (const auto f = faulty.match(chunk); f.hasMatch()) {
            e.faulty = plainText(f.captured(2));
            e.sketch = f.captured(1).contains(QStringLiteral("data-abrege"));
        }
        if (const auto c = corrected.match(chunk); c.hasMatch()) e.corrected = plainText(c.captured(1));
        e.hasExample = !e.around.isEmpty() || !e.faulty.isEmpty() || !e.corrected.isEmpty();
        entries[anchors[i].captured(1)] = e;
    }
    return entries;
}

} // namespace

// Every message a run can show has its entry on the page of messages, under the anchor
// that bears its identifier: the message as the catalogue words it (a placeholder in
// italics for its "%1"), what it means, its usual cause and a corrected example.
TEST(HelpMessagesPage, ExplainsEveryMessageOfTheCatalogue) {
    const auto entries = messageEntries();
    QSet<QString> names;
    for (int i = 0; i < kEntryCount; ++i) {
        const QString name = QString::fromLatin1(kMessageNames[i]);
        names.insert(name);
        SCOPED_TRACE(name.toStdString());
        const auto it = entries.find(name);
        if (it == entries.end()) {
            ADD_FAILURE() << "messages.html has no entry <a name=\"" << name.toStdString() << "\">";
            continue;
        }
        const MessageEntry& e = it->second;
        EXPECT_TRUE(shownAs(catalogueText(i)).match(e.title).hasMatch())
            << "the entry's heading \"" << e.title.toStdString() << "\" is not the message \""
            << catalogueText(i).toStdString() << "\"";
        // Each part says something: a few words at least.
        EXPECT_GE(e.meaning.split(QLatin1Char(' ')).size(), 4) << "what the message means";
        EXPECT_GE(e.cause.split(QLatin1Char(' ')).size(), 4) << "its usual cause";
        EXPECT_FALSE(e.around.isEmpty()) << "the program around the example";
        EXPECT_FALSE(e.faulty.trimmed().isEmpty()) << "the faulty lines";
        EXPECT_FALSE(e.corrected.trimmed().isEmpty()) << "the corrected lines";
        EXPECT_NE(e.faulty, e.corrected);
        // A sketch is visibly one.
        if (e.sketch) {
            EXPECT_TRUE(e.faulty.contains(QStringLiteral("..."))) << e.faulty.toStdString();
        }
    }
    // No entry is left for a message the catalogue no longer has.
    for (const auto& [name, e] : entries) {
        if (e.hasExample) {
            EXPECT_TRUE(names.contains(name)) << name.toStdString() << " is no message of the catalogue";
        }
    }
}

// Each entry's faulty lines, run in the program around them, stop the run with that very
// message; the corrected lines run to the end without any.
TEST(HelpMessagesPage, EachFaultyExampleGivesItsMessageAndItsCorrectionRuns) {
    const auto entries = messageEntries();
    int faultyRuns = 0;
    for (int i = 0; i < kEntryCount; ++i) {
        const QString name = QString::fromLatin1(kMessageNames[i]);
        const auto it = entries.find(name);
        // An entry without its example fails the test above.
        if (it == entries.end() || it->second.around.isEmpty()) continue;
        SCOPED_TRACE(name.toStdString());
        const MessageEntry& e = it->second;
        Example example;
        example.page = QStringLiteral("messages.html");
        if (!e.input.isEmpty()) example.input = e.input.split(QLatin1Char('|'));

        if (!e.sketch) {
            example.program = e.program(e.faulty);
            const ExampleRun faulty = run(example);
            ++faultyRuns;
            EXPECT_EQ(faulty.errors.size(), 1) << example.program.toStdString();
            const QString shown = faulty.errors.value(0);
            EXPECT_TRUE(shownAs(catalogueText(i)).match(shown).hasMatch())
                << "the faulty example shows \"" << shown.toStdString() << "\"\n" << example.program.toStdString();
        }

        example.program = e.program(e.corrected);
        const ExampleRun corrected = run(example);
        EXPECT_EQ(corrected.errors.join(QLatin1Char('\n')).toStdString(), "") << example.program.toStdString();
        EXPECT_EQ(corrected.status, 0) << "the corrected example runs to its end\n" << example.program.toStdString();
    }
    EXPECT_GT(faultyRuns, zef::kMessageCount / 2);
}

TEST(HelpIndexFile, EveryWordOfTheLanguageHasAnEntryAndAnExample) {
    const auto words = interpreterKeywords();

    const HelpIndex index = shippedIndex();
    QString allExamples;
    for (const auto& e : examples()) allExamples += e.program.toUpper() + QLatin1Char('\n');
    for (const auto& w : words) {
        const bool indexed = std::any_of(index.entries().begin(), index.entries().end(), [&](const HelpKeyword& e) {
            return HelpIndex::fold(e.keyword) == HelpIndex::fold(w);
        });
        EXPECT_TRUE(indexed) << w << " has no entry in help/motscles.txt";
        // NEXT and ENDSUB are the words the interpreter runs itself at the end of a loop
        // body or a procedure; the help explains them but no program writes them.
        if (w == "NEXT" || w == "ENDSUB") continue;
        const QRegularExpression used(QStringLiteral("(^|[^A-Z])") + QRegularExpression::escape(QString::fromStdString(w)) +
                                      QStringLiteral("($|[^A-Z])"));
        EXPECT_TRUE(used.match(allExamples).hasMatch()) << w << " appears in no example of the help";
    }
}

TEST(HelpExamples, EveryExampleShowsWhatItsPageSays) {
    const auto list = examples();
    ASSERT_GT(list.size(), 50u);
    for (const auto& e : list) {
        SCOPED_TRACE((e.page + QStringLiteral(": ") + e.program.section(QLatin1Char('\n'), 0, 0)).toStdString());
        ASSERT_TRUE(e.program.startsWith(QStringLiteral("PROGRAM "))) << "an example is a whole program";
        ASSERT_TRUE(e.hasResult) << "an example is followed by what it shows";
        const ExampleRun r = run(e);
        EXPECT_EQ(r.abandoned, "");
        EXPECT_EQ(r.screen.join(QLatin1Char('\n')).toStdString(), e.screen.join(QLatin1Char('\n')).toStdString());
        EXPECT_EQ(r.messages.join(QLatin1Char('\n')).toStdString(), e.messages.join(QLatin1Char('\n')).toStdString());
        // A program that shows no message runs to its end.
        if (e.messages.isEmpty()) {
            EXPECT_EQ(r.status, 0);
        }
    }
}

TEST(HelpSearch, MatchesPrefixesWhateverTheCaseAndAccents) {
    HelpIndex index;
    std::vector<std::string> errors;
    index.load("# comment\n"
               "WRITELN | ecran.html#writeln | Écrire une ligne\n"
               "WRITELN | fichiers.html#w | Écrire dans un fichier\n"
               "WRITE | ecran.html#write\n"
               "Écran | ecran.html\n"
               "Point d'arrêt | ide.html#arret | Points d'arrêt\n"
               "Arrêter | ide.html#arreter\n"
               "\n"
               "sans cible\n"
               " | vide.html\n",
               &errors);
    ASSERT_EQ(index.entries().size(), 6u);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("ligne 9", 0), 0u) << errors[0];

    auto keywords = [&](std::string_view key) {
        std::vector<std::string> k;
        for (const auto& e : index.search(key)) k.push_back(e.keyword + " > " + e.target);
        return k;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(keywords("writeln"),
              (V{"WRITELN > ecran.html#writeln", "WRITELN > fichiers.html#w"}));
    EXPECT_EQ(keywords("Wri"), (V{"WRITE > ecran.html#write", "WRITELN > ecran.html#writeln",
                                  "WRITELN > fichiers.html#w"}));
    EXPECT_EQ(keywords("ECRAN"), (V{"Écran > ecran.html"}));
    EXPECT_EQ(keywords("écr"), (V{"Écran > ecran.html"}));
    // Whole-keyword prefixes come first, then a later word of a keyword.
    EXPECT_EQ(keywords("arret"), (V{"Arrêter > ide.html#arreter", "Point d'arrêt > ide.html#arret"}));
    EXPECT_EQ(keywords("  point   D'ARRÊT "), (V{"Point d'arrêt > ide.html#arret"}));
    EXPECT_TRUE(keywords("rite").empty());
    EXPECT_TRUE(keywords("xyz").empty());
    // Every entry for an empty key, in alphabetical order without regard to accents.
    EXPECT_EQ(keywords(""), (V{"Arrêter > ide.html#arreter", "Écran > ecran.html", "Point d'arrêt > ide.html#arret",
                               "WRITE > ecran.html#write", "WRITELN > ecran.html#writeln",
                               "WRITELN > fichiers.html#w"}));
    EXPECT_TRUE(index.isShared(index.entries()[0]));
    EXPECT_FALSE(index.isShared(index.entries()[2]));

    EXPECT_EQ(HelpIndex::fold("  Œuvre  À ÉTÉ\tçà "), "oeuvre a ete ca");
    EXPECT_EQ(HelpIndex::fold("l’aide"), "l'aide");
}

class HelpViewerTest : public ::testing::Test {
protected:
    static QString shownPage(const THelpViewer& v) {
        return v.browser()->source().adjusted(QUrl::RemoveFragment).fileName();
    }
};

TEST_F(HelpViewerTest, TheThreeEntryPointsShowTheirPages) {
    THelpViewer viewer;
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Aide de Zef Pascal"));
    EXPECT_FALSE(viewer.isVisible());

    viewer.showHelpOnHelp();
    EXPECT_TRUE(viewer.isVisible());
    EXPECT_EQ(shownPage(viewer), QStringLiteral("aide.html"));
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(QStringLiteral("Utiliser l'aide")));

    viewer.showContents();
    EXPECT_EQ(shownPage(viewer), QStringLiteral("index.html"));
    EXPECT_EQ(viewer.sideTabs()->currentWidget(), viewer.contentsTree());
    EXPECT_GT(viewer.contentsTree()->topLevelItemCount(), 2);
    EXPECT_EQ(viewer.contentsTree()->currentItem()->text(0), QStringLiteral("Aide de Zef Pascal"));

    // The search with an empty key lists every keyword of the index.
    viewer.showSearch();
    EXPECT_EQ(viewer.sideTabs()->currentIndex(), 1);
    EXPECT_EQ(viewer.searchField()->text(), QString());
    EXPECT_EQ(static_cast<std::size_t>(viewer.matchList()->count()), viewer.index().entries().size());
    EXPECT_EQ(shownPage(viewer), QStringLiteral("index.html")) << "an empty key opens no page";

    // A key opens its best match.
    viewer.showSearch(QStringLiteral("copy"));
    EXPECT_EQ(viewer.matchList()->count(), 1);
    EXPECT_EQ(shownPage(viewer), QStringLiteral("fonctions-chaines.html"));
    EXPECT_EQ(viewer.browser()->source().fragment(), QStringLiteral("copy"));
}

TEST_F(HelpViewerTest, TypingNarrowsTheListAndEnterOpensTheSelection) {
    THelpViewer viewer;
    viewer.showSearch();
    viewer.searchField()->setText(QStringLiteral("gotox"));
    ASSERT_EQ(viewer.matchList()->count(), 1);
    EXPECT_EQ(viewer.matchList()->item(0)->text(), QStringLiteral("GOTOXY"));
    emit viewer.searchField()->returnPressed();
    EXPECT_EQ(shownPage(viewer), QStringLiteral("ecran.html"));
    EXPECT_EQ(viewer.browser()->source().fragment(), QStringLiteral("gotoxy"));

    // A keyword leading to several pages shows the subject of each.
    viewer.searchField()->setText(QStringLiteral("writeln"));
    ASSERT_EQ(viewer.matchList()->count(), 3);
    EXPECT_TRUE(viewer.matchList()->item(0)->text().startsWith(QStringLiteral("WRITELN — ")));
    viewer.matchList()->setCurrentRow(1);
    emit viewer.searchField()->returnPressed();
    EXPECT_NE(shownPage(viewer), QStringLiteral("ecran.html"));

    // Back and forward follow the pages seen.
    const QString second = shownPage(viewer);
    viewer.browser()->backward();
    EXPECT_EQ(shownPage(viewer), QStringLiteral("ecran.html"));
    viewer.browser()->forward();
    EXPECT_EQ(shownPage(viewer), second);

    // The contents follow the page shown.
    viewer.openTarget(QStringLiteral("boucles.html#while"));
    ASSERT_NE(viewer.contentsTree()->currentItem(), nullptr);
    EXPECT_EQ(viewer.contentsTree()->currentItem()->text(0), QStringLiteral("WHILE ... DO et WEND"));
}

TEST_F(HelpViewerTest, TheWindowDrawsItsPage) {
    THelpViewer viewer;
    viewer.showSearch(QStringLiteral("WRITELN"));
    QApplication::processEvents();
    const QImage image = viewer.grab().toImage();
    ASSERT_FALSE(image.isNull());
    // Something is drawn in the page area: not a single colour.
    const QImage page = viewer.browser()->viewport()->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < page.height(); y += 3)
        for (int x = 0; x < page.width(); x += 3) colours.insert(page.pixel(x, y));
    EXPECT_GT(colours.size(), 5);
    if (const QByteArray path = qgetenv("ZEF_HELP_SCREENSHOT"); !path.isEmpty()) {
        EXPECT_TRUE(image.save(QString::fromLocal8Bit(path)));
    }
}

namespace {

// How far apart two colours stand for the eye (1: not at all, 21: black on white).
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// On a light palette as on a dark one, every text of every help page stands out from what
// is behind it: the words of the language, the examples' boxes, the tables' headings.
TEST(HelpPages, EveryTextIsReadableOnALightAndADarkPalette) {
    for (const auto& [paper, ink] : {std::pair{QColor(Qt::white), QColor(Qt::black)},
                                     std::pair{QColor(0x2b, 0x2b, 0x2b), QColor(0xee, 0xee, 0xee)}}) {
        QPalette palette;
        palette.setColor(QPalette::Base, paper);
        palette.setColor(QPalette::Text, ink);
        int checked = 0;
        double worst = 21;
        QString where;
        for (const QString& page : helpPages()) {
            QTextDocument doc;
            doc.setDefaultStyleSheet(THelpViewer::pageStyle(palette));
            doc.setHtml(pageText(page));
            for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
                QColor behind = paper;
                if (block.blockFormat().background().style() != Qt::NoBrush) behind = block.blockFormat().background().color();
                QTextCursor at(block);
                if (const QTextTable* table = at.currentTable()) {
                    const QTextCharFormat cell = table->cellAt(at).format();
                    if (cell.background().style() != Qt::NoBrush) behind = cell.background().color();
                }
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextFragment fragment = it.fragment();
                    const QTextCharFormat f = fragment.charFormat();
                    if (f.isAnchor() || fragment.text().trimmed().isEmpty()) continue;
                    const QColor back = f.background().style() != Qt::NoBrush ? f.background().color() : behind;
                    const QColor front = f.foreground().style() != Qt::NoBrush ? f.foreground().color() : ink;
                    ++checked;
                    if (const double c = contrast(front, back); c < worst) {
                        worst = c;
                        where = page + ": " + fragment.text().left(40);
                    }
                }
            }
        }
        EXPECT_GT(checked, 1000);
        EXPECT_GE(worst, 4.5) << "on " << paper.name().toStdString() << ", " << where.toStdString();
    }
}
