#include "tform12.h"

#include <QApplication>
#include <QKeyEvent>

namespace zef {

TForm12::TForm12(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
    setObjectName("Form12");
    setModal(true);
    QFont f = QApplication::font();
    f.setPixelSize(17);
    setFont(f);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    resize(427, 34);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFrame(false);
    Edit1->setGeometry(1, 0, 424, 29);
    connect(Edit1, &QLineEdit::returnPressed, this, &QDialog::accept);
}

void TForm12::showEvent(QShowEvent* event) {
    // Each time it is shown the field starts empty.
    Edit1->clear();
    Edit1->setFocus();
    QDialog::showEvent(event);
}

void TForm12::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm12::reject() {}

QString TForm12::ask(const QPoint& desktopPosition, int width) {
    width = std::max(width, 40);
    resize(width, height());
    Edit1->setGeometry(1, 0, width - 3, 29);
    move(desktopPosition);
    raise();
    exec();
    return Result();
}

} // namespace zef
