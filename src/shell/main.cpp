// Zef Pascal: the IDE. --help and --version answer at once, without a display. A start
// on a display where this user's frame is already open hands its files to that frame
// and ends. Otherwise start-up shows the splash window while the windows are created,
// then the maximised frame; program files given as arguments are opened, else the last
// program or a new one, with the screen window beside it.
#include "aboutbox.h"
#include "commandline.h"
#include "french.h"
#include "singleinstance.h"
#include "tmainform.h"
#include "zefversion.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QSplashScreen>

#include <cstdio>

namespace {

constexpr int kExitUsage = 64; // a bad command line, as for zefrun

} // namespace

int main(int argc, char** argv) {
    QStringList raw;
    for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
    const zef::StartRequest early = zef::parseCommandLine(raw);
    if (early.kind == zef::StartRequest::Kind::Help) {
        std::fputs(zef::usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.kind == zef::StartRequest::Kind::Version) {
        std::fputs("zefpascal " ZEF_VERSION "\n", stdout);
        return 0;
    }

    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) away by now.
    const zef::StartRequest request = zef::parseCommandLine(QApplication::arguments().mid(1));
    if (request.kind == zef::StartRequest::Kind::Error) {
        std::fputs(("zefpascal : " + request.error + "\n" + zef::usageText()).toLocal8Bit().constData(), stderr);
        return kExitUsage;
    }
    QStringList files;
    for (const QString& file : request.files) files << QFileInfo(file).absoluteFilePath();
    zef::SingleInstance instance(zef::SingleInstance::defaultAddress());
    const auto handOver = instance.handOver(files);
    if (handOver == zef::SingleInstance::HandOver::Delivered) return 0;
    if (handOver == zef::SingleInstance::HandOver::NoAnswer)
        std::fputs("zefpascal : la fenêtre de Zef Pascal déjà ouverte ne répond pas ; une autre s'ouvre.\n", stderr);

    QSplashScreen splash(zef::splashPicture());
    splash.show();
    app.processEvents();

    // No display name: Qt would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("Zef Pascal"));
    QApplication::setOrganizationName(QStringLiteral("ZefPascal"));
    QApplication::setApplicationVersion(QStringLiteral(ZEF_VERSION));
    // The desktop entry this program belongs to, for the window list and the taskbar icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZEF_DESKTOP_ID));
    zef::installFrenchTranslations(app);
    QApplication::setWindowIcon(zef::programIcon());
    zef::TMainForm mainForm;
    QObject::connect(&instance, &zef::SingleInstance::filesReceived, &mainForm, &zef::TMainForm::openHandedOver);
    // From here on, later starts hand their files to this frame; they wait meanwhile. A box
    // shown while the files open (a file not found) keeps serving them.
    // (Beside a frame that does not answer, this one does not listen, but lets them in.)
    instance.listen();

    // Without a window manager "maximised" means nothing: take the whole screen then too.
    if (const QScreen* screen = QApplication::primaryScreen()) mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    splash.finish(&mainForm);
    for (const QString& path : files) mainForm.openPath(path);
    // Documents left unsaved by a session that ended without closing them (a crash, a
    // power cut) are offered back.
    mainForm.offerRecovery();
    mainForm.openStartingProgram();
    return app.exec();
}
