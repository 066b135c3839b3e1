// The IDE as a desktop starts it: its command line, one frame per display that takes the
// files of later starts (the real zefpascal program is the later start), the recent
// files of "Fichier", the installed examples and the version in the about box.
#include "aboutbox.h"
#include "commandline.h"
#include "installpaths.h"
#include "recentfiles.h"
#include "singleinstance.h"
#include "teditor.h"
#include "tmainform.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

QT_BEGIN_NAMESPACE
// Texts in the failure messages of the tests, readable.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace zef;

namespace {

void writeProgram(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Program " + QFileInfo(path).completeBaseName().toUtf8() + ";\r\nbegin\r\n  writeln('x');\r\nend.\r\n");
}

// What a frame that crashed leaves behind: a socket file that nobody listens on.
void leaveDeadSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    ASSERT_LT(static_cast<size_t>(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), name.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));
}

// A runtime folder of the test's own, where the frames of the test put their socket.
struct RuntimeFolder {
    RuntimeFolder() : old(qgetenv("XDG_RUNTIME_DIR")) { qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8()); }
    ~RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", old); }
    QTemporaryDir dir;
    QByteArray old;
};

// The real program, started as the desktop starts it, with settings of its own.
void startIde(QProcess& ide, const QString& workDir, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", QDir(workDir).filePath("config"));
    env.insert("XDG_DATA_HOME", QDir(workDir).filePath("data"));
    ide.setProcessEnvironment(env);
    ide.setWorkingDirectory(workDir);
    ide.setProcessChannelMode(QProcess::ForwardedChannels);
    ide.start(QStringLiteral(ZEF_ZEFPASCAL), arguments);
}

QStringList editorPaths(const TMainForm& form) {
    QStringList paths;
    for (TEditeur* e : form.editors()) paths << e->DocumentPath;
    return paths;
}

// A frame whose boxes are answered by the test.
struct Frame : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings().remove("recentFiles");
        form = std::make_unique<TMainForm>();
        prepare(*form);
    }
    void prepare(TMainForm& f) {
        f.messageHook = [this](const QString& text) { messages << text; };
        f.onEditorCreated = [this](TEditeur& e) {
            e.messageHook = [this](const QString& text) { messages << text; };
            e.saveFileHook = [this](const QString&, const QString&, const QString&) { return saveAnswer; };
        };
        f.show();
    }
    QString program(const QString& name) {
        const QString path = dir.filePath(name);
        writeProgram(path);
        return path;
    }
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> form;
    QStringList messages;
    QString saveAnswer;
};

} // namespace

TEST(CommandLine, FilesHelpVersionAndErrors) {
    StartRequest r = parseCommandLine({"a.pas", "dossier/b.pas"});
    EXPECT_EQ(r.kind, StartRequest::Kind::Open);
    EXPECT_EQ(r.files, (QStringList{"a.pas", "dossier/b.pas"}));
    // --help and --version answer wherever they stand, even after an option only Qt knows.
    EXPECT_EQ(parseCommandLine({"-platform", "xcb", "--help"}).kind, StartRequest::Kind::Help);
    EXPECT_EQ(parseCommandLine({"a.pas", "-h"}).kind, StartRequest::Kind::Help);
    EXPECT_EQ(parseCommandLine({"a.pas", "--version"}).kind, StartRequest::Kind::Version);
    r = parseCommandLine({"a.pas", "--bogus"});
    EXPECT_EQ(r.kind, StartRequest::Kind::Error);
    EXPECT_TRUE(r.error.contains("--bogus"));
    EXPECT_EQ(parseCommandLine({"-"}).kind, StartRequest::Kind::Error);
    // After "--" every word is a file.
    r = parseCommandLine({"a.pas", "--", "-b.pas", "--help"});
    EXPECT_EQ(r.kind, StartRequest::Kind::Open);
    EXPECT_EQ(r.files, (QStringList{"a.pas", "-b.pas", "--help"}));
    EXPECT_TRUE(usageText().startsWith("Usage : zefpascal"));
    EXPECT_TRUE(usageText().contains("--version"));
}

// --help and --version need no display; a wrong option is refused before any window.
TEST(CommandLine, TheProgramAnswersWithoutADisplay) {
    const auto run = [](const QStringList& arguments, const QString& platform) {
        QProcess ide;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", platform);
        ide.setProcessEnvironment(env);
        ide.start(QStringLiteral(ZEF_ZEFPASCAL), arguments);
        EXPECT_TRUE(ide.waitForFinished(60000));
        return std::tuple{ide.exitCode(), QString::fromUtf8(ide.readAllStandardOutput()),
                          QString::fromUtf8(ide.readAllStandardError())};
    };
    // Qt would stop at once on a display it cannot open: the answers come before.
    const auto [versionStatus, version, versionErrors] = run({"--version"}, "xcb");
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version, "zefpascal " ZEF_PROJECT_VERSION "\n");
    const auto [helpStatus, help, helpErrors] = run({"prog.pas", "--help"}, "xcb");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(help, usageText());
    const auto [wrongStatus, wrongOut, wrong] = run({"--bogus"}, "offscreen");
    EXPECT_EQ(wrongStatus, 64);
    EXPECT_TRUE(wrong.contains("zefpascal : option inconnue --bogus")) << wrong.toStdString();
    EXPECT_TRUE(wrongOut.isEmpty());
}

TEST(RecentFilesList, MostRecentFirstOncePerFileAtMostEightKeptInSettings) {
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 10; ++i) {
        files << dir.filePath(QStringLiteral("p%1.pas").arg(i));
        writeProgram(files.last());
    }
    ASSERT_TRUE(QFile::link(files[5], dir.filePath("lien.pas")));
    {
        RecentFiles recent(QStringLiteral("test/recent"));
        for (const QString& f : files) recent.add(f);
        // The same files under other names move up instead of coming twice.
        recent.add(dir.path() + "/./p3.pas");
        recent.add(dir.filePath("lien.pas"));
    }
    RecentFiles again(QStringLiteral("test/recent"));
    const auto canonical = [&](int i) { return QFileInfo(files[i]).canonicalFilePath(); };
    EXPECT_EQ(again.paths(), (QStringList{canonical(5), canonical(3), canonical(9), canonical(8), canonical(7),
                                          canonical(6), canonical(4), canonical(2)}));
    // A file that is gone is removed by the name it was kept under.
    const QString gone = canonical(9);
    ASSERT_TRUE(QFile::remove(files[9]));
    again.remove(files[9]);
    EXPECT_FALSE(again.paths().contains(gone));
    EXPECT_EQ(RecentFiles(QStringLiteral("test/recent")).paths().size(), 7);
}

TEST_F(Frame, RecentFilesAreNumberedInFichierAndSurviveARestart) {
    const QString a = program("a.pas"), b = program("b.pas");
    ASSERT_NE(form->openPath(a), nullptr);
    ASSERT_NE(form->openPath(b), nullptr);
    // Opening a file already open brings its window forward instead of a second one.
    TEditeur* again = form->openPath(dir.path() + "/./a.pas");
    EXPECT_EQ(form->editors().size(), 2);
    EXPECT_EQ(form->activeEditor(), again);
    EXPECT_EQ(again->DocumentPath, a);
    // A new program saved under a name comes first.
    form->FileNew();
    saveAnswer = dir.filePath("c.pas");
    form->action("FileSaveAsItem")->trigger();
    EXPECT_EQ(form->recentFiles(), (QStringList{dir.filePath("c.pas"), a, b}));

    form.reset();
    TMainForm restarted;
    prepare(restarted);
    ASSERT_NE(restarted.action("RecentFile3"), nullptr);
    EXPECT_EQ(restarted.action("RecentFile1")->text(), "&1 " + QDir::toNativeSeparators(dir.filePath("c.pas")));
    EXPECT_EQ(restarted.action("RecentFile3")->text(), "&3 " + QDir::toNativeSeparators(b));
    EXPECT_EQ(restarted.action("RecentFile4"), nullptr);
    restarted.action("RecentFile3")->trigger();
    EXPECT_EQ(editorPaths(restarted), QStringList{b});
    EXPECT_EQ(restarted.recentFiles().first(), b);
    // A file that is no longer there leaves the list with a message, and opens nothing.
    ASSERT_TRUE(QFile::remove(a));
    restarted.action("RecentFile3")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("n'existe plus")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("a.pas"));
    EXPECT_EQ(editorPaths(restarted), QStringList{b});
    EXPECT_EQ(restarted.recentFiles(), (QStringList{b, dir.filePath("c.pas")}));
    EXPECT_EQ(restarted.action("RecentFile3"), nullptr);
}

TEST_F(Frame, AtMostEightRecentFilesAndAnAmpersandIsNoAccessKey) {
    QStringList paths;
    for (int i = 0; i < 9; ++i) {
        paths << program(QStringLiteral("r&%1.pas").arg(i));
        ASSERT_NE(form->openPath(paths.last()), nullptr);
    }
    EXPECT_EQ(form->recentFiles().size(), 8);
    EXPECT_NE(form->action("RecentFile8"), nullptr);
    EXPECT_EQ(form->action("RecentFile9"), nullptr);
    EXPECT_EQ(form->action("RecentFile1")->text(),
              "&1 " + QDir::toNativeSeparators(paths.last()).replace("&", "&&"));
}

TEST_F(Frame, ExamplesOpenAsCopiesToSaveElsewhere) {
    EXPECT_FALSE(form->examplesMenu()->menuAction()->isVisible()) << "not installed: no examples";
    QTemporaryDir examples;
    writeProgram(examples.filePath("bonjour.pas"));
    writeProgram(examples.filePath("table.pas"));
    QFile(examples.filePath("lisez-moi.txt")).open(QIODevice::WriteOnly);
    form->setExamplesFolder(examples.path());
    ASSERT_TRUE(form->examplesMenu()->menuAction()->isVisible());
    QStringList names;
    for (QAction* a : form->examplesMenu()->actions()) names << a->text();
    EXPECT_EQ(names, (QStringList{"bonjour.pas", "table.pas"}));
    form->examplesMenu()->actions().at(1)->trigger();
    TEditeur* e = form->activeEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->lines().first(), "Program table;");
    EXPECT_EQ(e->caption(), "ZuzOvozov - table.pas");
    EXPECT_TRUE(e->DocumentPath.isEmpty());
    EXPECT_FALSE(e->Memo1->document()->isModified());
    EXPECT_TRUE(form->recentFiles().isEmpty());
    // Saving asks for a name, and the example stays as it was.
    saveAnswer = dir.filePath("mien.pas");
    e->Memo1->appendPlainText("{ changé }");
    form->action("FileSaveItem")->trigger();
    EXPECT_EQ(e->DocumentPath, dir.filePath("mien.pas"));
    QFile original(examples.filePath("table.pas"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_FALSE(original.readAll().contains("changé"));
    EXPECT_EQ(form->recentFiles(), QStringList{dir.filePath("mien.pas")});
}

TEST(InstalledExamples, FoundBesideTheInstalledProgram) {
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    EXPECT_TRUE(installedExamplesFolder(prefix.filePath("bin")).isEmpty());
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/doc/zef-pascal/examples"));
    EXPECT_EQ(installedExamplesFolder(prefix.filePath("bin")), prefix.filePath("share/doc/zef-pascal/examples"));
    // The build folder is no installation.
    EXPECT_TRUE(installedExamplesFolder(QFileInfo(QStringLiteral(ZEF_ZEFPASCAL)).path()).isEmpty());
}

TEST(AboutBox, ShowsTheBuildsVersionAndTheIcon) {
    TAboutBox box;
    QStringList texts;
    for (QLabel* l : box.findChildren<QLabel*>()) texts << l->text();
    EXPECT_TRUE(texts.contains("Version " ZEF_PROJECT_VERSION)) << texts.join('|').toStdString();
    const QIcon icon = programIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{48, 48}, {128, 128}, {256, 256}}));
    EXPECT_FALSE(icon.pixmap(48, 48).toImage().isNull());
}

TEST_F(Frame, ASecondStartHandsItsFilesToTheFrameAndEnds) {
    RuntimeFolder runtime;
    const QString address = SingleInstance::defaultAddress();
    EXPECT_TRUE(address.startsWith(runtime.dir.path() + "/")) << address.toStdString();
    // The last frame crashed: its socket is still there, and must not stop this one.
    leaveDeadSocket(address);
    SingleInstance frame(address);
    EXPECT_EQ(frame.handOver({}), SingleInstance::HandOver::NoFrame);
    ASSERT_TRUE(frame.listen());
    QObject::connect(&frame, &SingleInstance::filesReceived, form.get(), &TMainForm::openHandedOver);

    const QString a = program("a.pas"), b = program("b.pas"), c = program("c.pas");
    ASSERT_NE(form->openPath(a), nullptr);
    ASSERT_NE(form->openPath(b), nullptr);
    form->showMinimized();
    // As a file manager starts it: relative names, from the files' folder.
    QProcess second;
    QSignalSpy ended(&second, &QProcess::finished);
    startIde(second, dir.path(), {"c.pas", "a.pas"});
    ASSERT_TRUE(ended.wait(60000)) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(form->editors().size(), 3, 30000);
    EXPECT_EQ(editorPaths(*form), (QStringList{a, b, c}));
    // a.pas was open already: it came to the front, and the frame came back.
    EXPECT_EQ(form->activeEditor()->DocumentPath, a);
    EXPECT_FALSE(form->isMinimized());
}

TEST(SingleInstanceStart, AStartOverADeadSocketBecomesTheFrame) {
    RuntimeFolder runtime;
    QTemporaryDir work;
    const QString address = SingleInstance::defaultAddress();
    leaveDeadSocket(address);
    QProcess ide;
    startIde(ide, work.path(), {});
    ASSERT_TRUE(ide.waitForStarted(30000));
    // Until the frame listens, its start-up lock keeps the others waiting; a try made
    // before it took the lock finds only the dead socket, and is made again.
    auto result = SingleInstance::HandOver::NoFrame;
    const QDeadlineTimer deadline(60000);
    while (result == SingleInstance::HandOver::NoFrame && !deadline.hasExpired() &&
           ide.state() == QProcess::Running) {
        // The probe, and the start-up lock it took, go before the next try.
        result = SingleInstance(address).handOver({}, 5000);
        if (result == SingleInstance::HandOver::NoFrame) QTest::qWait(20);
    }
    EXPECT_EQ(result, SingleInstance::HandOver::Delivered);
    ide.kill();
    ide.waitForFinished(30000);
}
