// The input line: a borderless one-line field that READ and READLN place over the screen
// window's cursor. It is a part of the screen window itself, so it always stands on the
// cursor and in front of the output, whatever the window manager does with windows; the
// run waits in it until Enter (or until the run is interrupted).
#pragma once

#include <QLineEdit>
#include <QWidget>

#include <functional>

class QEventLoop;

namespace zef {

class TForm12 : public QWidget {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);

    // Shows the line at a position of its parent with the given width and waits for Enter
    // or cancel(). Answers what was typed; after a cancel, an empty text.
    QString ask(const QPoint& position, int width);
    // Ends a waiting ask() at once (the run is being interrupted).
    void cancel();
    bool waiting() const { return loop_ != nullptr; }
    QString Result() const { return Edit1->text(); }
    // The field starts empty each time its window becomes active.
    void FormActivate() { Edit1->clear(); }
    // Escape in the field: the user wants the program stopped.
    std::function<void()> onEscape;

    QLineEdit* Edit1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish();
    QEventLoop* loop_ = nullptr;
    QString typed_;
};

} // namespace zef
