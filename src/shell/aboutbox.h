// The about box and the splash window.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace zef {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

// The picture of the splash window: black, with a teal raised panel holding the program's
// picture, its name in large bold type and its version.
QPixmap splashPicture();
// The program's icon, the same pictures as the desktop's.
QIcon programIcon();
// "Version " and the build's version, as the about box and the splash show it.
QString versionText();

} // namespace zef
