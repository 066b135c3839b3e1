// The three debugging windows of the "Voir" and "Exécuter" menus: the symbol listing, the
// examine window and the run parameters. Single-instance windows: closing one only hides
// it, so its fields keep their contents between openings. They read the interpreter's
// tables as the last run left them.
#pragma once

#include "interpreter.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace zef {

// "Table des Symboles": every symbol with its kind and index, then the counts.
class TTableSymboles : public QDialog {
    Q_OBJECT
public:
    explicit TTableSymboles(QWidget* parent = nullptr);
    // Fills the list from the interpreter's tables and shows it modally.
    void Stats(const Interpreter& interpreter);
    void fill(const Interpreter& interpreter);

    QListWidget* ListBox1;
    QPushButton* Button1;
};

// "Examiner variable": Enter examines the name typed in Edit1 and shows the result in
// Edit2, with the typed text selected for the next name.
class TVariable : public QDialog {
    Q_OBJECT
public:
    explicit TVariable(Interpreter& interpreter, QWidget* parent = nullptr);
    void Examiner() { exec(); }
    void examineTyped();

    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* Button1;

protected:
    bool event(QEvent* event) override;

private:
    Interpreter& interpreter_;
};

// "Pamètres d'exécution" (the caption as the program has always shown it): the run
// parameters that PARAMCOUNT and PARAMSTR read. OK or Enter keeps the text, Annuler or
// Escape leaves the parameters as they were.
class TParametres : public QDialog {
    Q_OBJECT
public:
    explicit TParametres(Interpreter& interpreter, QWidget* parent = nullptr);
    // Shows the window modally with the current parameters, then applies the result.
    void Param();
    // Whether the last opening ended with OK; kept until the next closing.
    bool acceptedFlag() const { return accepted_; }

    QLineEdit* Edit1;
    QPushButton* Button1; // OK
    QPushButton* Button2; // Annuler

private:
    Interpreter& interpreter_;
    bool accepted_ = false;
};

} // namespace zef
