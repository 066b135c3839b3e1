#include "tform12.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>

namespace zef {

TForm12::TForm12(QWidget* parent) : QWidget(parent) {
    setObjectName("Form12");
    QFont f = QApplication::font();
    f.setPixelSize(17);
    setFont(f);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
    resize(427, 34);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setFrame(false);
    Edit1->setGeometry(1, 0, 424, 29);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm12::finish);
    hide();
}

void TForm12::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish();
        return;
    case Qt::Key_Escape:
        // A value is required to go on: Escape does not give an empty one, it stops the
        // program instead.
        if (onEscape) onEscape();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TForm12::finish() {
    // What was typed is taken when Enter is pressed: an activation handled before the wait
    // returns (which empties the field) must not lose it.
    typed_ = Edit1->text();
    if (loop_) loop_->quit();
}

void TForm12::cancel() {
    Edit1->clear();
    finish();
}

QString TForm12::ask(const QPoint& position, int width) {
    if (loop_) return {}; // one question at a time
    width = std::max(width, 40);
    const int h = std::max(Edit1->sizeHint().height(), 29);
    resize(width, h + 5);
    Edit1->setGeometry(1, 0, width - 3, h);
    move(position);
    Edit1->clear();
    typed_.clear();
    show();
    raise();
    Edit1->setFocus();
    QEventLoop loop;
    loop_ = &loop;
    loop.exec();
    loop_ = nullptr;
    hide();
    return typed_;
}

} // namespace zef
