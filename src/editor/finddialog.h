// The find and the replace dialogs of the editor: small modeless windows that hold the
// text to find (and the replacement), the search options and the buttons; the editor
// does the searching when they ask for it.
#pragma once

#include "search.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zef {

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Find, Replace };
    TFindDialog(Kind kind, QWidget* parent);

    Kind kind() const { return kind_; }
    QString FindText() const;
    void setFindText(const QString& text);
    QString ReplaceText() const;
    SearchOptions Options() const;
    // Which replace button was pressed last: "Remplacer" (one) or "Remplacer tout".
    bool replaceOne() const { return replaceOne_; }
    bool replaceAll() const { return replaceAll_; }

    // Shows the dialog with the text to find selected, ready to be typed over.
    void Execute();

    std::function<void(TFindDialog&)> OnFind;    // "Suivant", or Enter
    std::function<void(TFindDialog&)> OnReplace; // "Remplacer", "Remplacer tout"

    QLineEdit* findEdit;
    QLineEdit* replaceEdit = nullptr;
    QRadioButton* upButton = nullptr;
    QRadioButton* downButton = nullptr;
    QCheckBox* matchCaseBox;
    QCheckBox* wholeWordBox;
    QPushButton* nextButton;
    QPushButton* replaceButton = nullptr;
    QPushButton* replaceAllButton = nullptr;
    QPushButton* cancelButton;

private:
    Kind kind_;
    bool replaceOne_ = false;
    bool replaceAll_ = false;
};

} // namespace zef
