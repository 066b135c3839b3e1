// The input line: a borderless, always-on-top one-line field placed over the screen
// window's cursor, shown modally until Enter.
#pragma once

#include <QDialog>
#include <QLineEdit>

namespace zef {

class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);

    // Shows the line at a desktop position with the given width and waits for Enter.
    QString ask(const QPoint& desktopPosition, int width);
    QString Result() const { return Edit1->text(); }

    QLineEdit* Edit1;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override; // Escape does not close the line: a value is required
};

} // namespace zef
