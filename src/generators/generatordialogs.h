// The statement generator dialogs. Each is made once and only hidden when closed, so its
// fields keep what was typed; the editor shows one modally, then asks it once for its
// result. The fragments themselves are built by fragments.h.
#pragma once

#include "fragments.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace zef {

// A fragment and whether the dialog was closed by "OK". The text is empty whenever
// `accepted` is false, and also when a required field was left empty.
struct GeneratedText {
    QString text;
    bool accepted = false;
};

// What the four dialogs share: "OK" and "Annuler", Enter as "OK" and Escape as "Annuler"
// from the controls that listen for them, and the accepted flag. Closing by the title
// bar's close box counts as "Annuler".
class TGeneratorDialog : public QDialog {
    Q_OBJECT
public:
    explicit TGeneratorDialog(QWidget* parent);

    QPushButton* Button1; // "OK"
    QPushButton* Button2; // "Annuler"
    bool accepted() const { return accepted_; }

    void Button1Click();
    void Button2Click();

protected:
    // Makes Enter and Escape act on the dialog from this control.
    void listenForKeys(QWidget* control);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A line edit and its label, one row of the form.
    QLineEdit* addField(const QString& label);
    // The comparison operators " =" ... " <>", none chosen.
    QGroupBox* operatorGroup(QButtonGroup*& group);
    // What the fields lack for OK to write anything (French), empty when nothing: OK then
    // says so in the dialog, which stays open.
    virtual QString missing() const { return {}; }
    // Sets the order in which Tab walks the controls.
    void chainTabs(const QList<QWidget*>& order);
    static QList<QWidget*> radios(QButtonGroup* group);
    QVBoxLayout* form_;
    QHBoxLayout* buttons_; // "OK" and "Annuler", placed by each dialog

public:
    // Where OK says what is missing.
    QLabel* missingLabel;

private:
    bool accepted_ = false;
    QLineEdit* firstField_ = nullptr;
};

class TBoucleFor : public TGeneratorDialog {
    Q_OBJECT
public:
    explicit TBoucleFor(QWidget* parent = nullptr);
    QLineEdit* Edit1; // "Compteur"
    QLineEdit* Edit2; // "Valeur initiale"
    QLineEdit* Edit3; // "Valeur finale"
    GeneratedText Result() const;

protected:
    QString missing() const override;
};

// The WHILE and the REPEAT generators: one dialog, whose caption the caller sets.
class TBoucleWhile : public TGeneratorDialog {
    Q_OBJECT
public:
    explicit TBoucleWhile(QWidget* parent = nullptr);
    QLineEdit* Edit1;           // "Opérande 1"
    QButtonGroup* RadioGroup1;  // "Opérateur": checkedId() is the operator index, -1 for none
    QLineEdit* Edit2;           // "Opérande 2"
    GeneratedText Result1() const; // WHILE
    GeneratedText Result2() const; // REPEAT

protected:
    QString missing() const override;

private:
    generators::Condition condition() const;
};

class TConditionIf : public TGeneratorDialog {
    Q_OBJECT
public:
    explicit TConditionIf(QWidget* parent = nullptr);
    QLineEdit* Edit1;
    QButtonGroup* RadioGroup1;
    QLineEdit* Edit2;
    QCheckBox* CheckBox1; // " ELSE"
    GeneratedText Result() const;

protected:
    QString missing() const override;
};

class TFileIO : public TGeneratorDialog {
    Q_OBJECT
public:
    explicit TFileIO(QWidget* parent = nullptr);
    QLineEdit* Edit1;          // "Variable fichier"
    QLineEdit* Edit2;          // "Nom du fichier"
    QButtonGroup* RadioGroup1; // "Mode d'ouverture": 0 "Lecture", 1 "Ecriture"
    void setMode(generators::FileMode mode);
    GeneratedText Result() const;
};

} // namespace zef
