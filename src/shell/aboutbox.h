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
// The program's icon, drawn rather than shipped as a file.
QIcon programIcon();

} // namespace zef
