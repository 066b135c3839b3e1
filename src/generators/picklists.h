// The two pick lists: the language's keywords (TMotsCle) and the procedures of the
// program text (TListeSel). Each is a modal window filled by its list; the entry
// selected when the window closes is what the editor acts on.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;

namespace zef {

class TColorMemo;

class TPickList : public QDialog {
    Q_OBJECT
public:
    explicit TPickList(QWidget* parent);
    QListWidget* ListBox1;
    // The selected entry's row, -1 for none.
    int ItemIndex() const;
    void setItemIndex(int row);
    // The selected entry's text, empty for none.
    QString selectedText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enter closes keeping the selection; Escape clears it and closes.
    void ListBox1KeyPress(QKeyEvent* event);
};

class TMotsCle : public TPickList {
    Q_OBJECT
public:
    explicit TMotsCle(QWidget* parent = nullptr);
    // Under the list, what the highlighted word does, in one line.
    QLabel* Explanation;
    // Gives that line for a word (empty when there is none); set by the main window from
    // the help's index.
    void setExplainer(std::function<QString(const QString& word)> explain);

protected:
    // A click on the window beside the list closes it, keeping the selection.
    void mousePressEvent(QMouseEvent* event) override;
};

class TListeSel : public TPickList {
    Q_OBJECT
public:
    explicit TListeSel(QWidget* parent = nullptr);
    // Refills the list with the procedure headings of the memo's text; nothing selected.
    void Init(const TColorMemo& memo);
};

} // namespace zef
