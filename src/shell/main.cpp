// Zef Pascal: the IDE. Start-up shows the splash window while the windows are created,
// then the maximised frame; program files given as arguments are opened.
#include "aboutbox.h"
#include "french.h"
#include "tmainform.h"

#include <QApplication>
#include <QScreen>
#include <QSplashScreen>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QSplashScreen splash(zef::splashPicture());
    splash.show();
    app.processEvents();

    // No display name: Qt would append it to every window title.
    QApplication::setApplicationName(QStringLiteral("Zef Pascal"));
    QApplication::setOrganizationName(QStringLiteral("ZefPascal"));
    zef::installFrenchTranslations(app);
    QApplication::setWindowIcon(zef::programIcon());
    zef::TMainForm mainForm;

    // Without a window manager "maximised" means nothing: take the whole screen then too.
    if (const QScreen* screen = QApplication::primaryScreen()) mainForm.setGeometry(screen->availableGeometry());
    mainForm.showMaximized();
    splash.finish(&mainForm);
    for (const QString& path : QApplication::arguments().mid(1)) mainForm.openPath(path);
    // Documents left unsaved by a session that ended without closing them (a crash, a
    // power cut) are offered back.
    mainForm.offerRecovery();
    return app.exec();
}
