#include "debugwindows.h"

#include "inspection.h"
#include "qttext.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zef {

TTableSymboles::TTableSymboles(QWidget* parent) : QDialog(parent) {
    setObjectName("TableSymboles");
    setWindowTitle(QStringLiteral("Table des Symboles"));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    // The rule row is 79 characters wide: room for it in a fixed-pitch font.
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    ListBox1->setFont(fixed);
    resize(QFontMetrics(fixed).horizontalAdvance(QString(81, 'x')) + 40, 360);
}

void TTableSymboles::fill(const Interpreter& interpreter) {
    ListBox1->clear();
    for (const std::string& row : debugging::SymbolListing(interpreter)) ListBox1->addItem(fromCp1252(row));
}

void TTableSymboles::Stats(const Interpreter& interpreter) {
    fill(interpreter);
    exec();
}

TVariable::TVariable(Interpreter& interpreter, QWidget* parent) : QDialog(parent), interpreter_(interpreter) {
    setObjectName("Variable");
    setWindowTitle(QStringLiteral("Examiner variable"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setReadOnly(true);
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    Button1->setObjectName("Button1");
    // Enter examines; it must not press the button and close the window.
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::returnPressed, this, &TVariable::examineTyped);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Variable"), Edit1);
    form->addRow(QStringLiteral("Résultat"), Edit2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    resize(320, sizeHint().height());
}

void TVariable::examineTyped() {
    bool found = false;
    Edit2->setText(fromCp1252(debugging::ExamineVariable(interpreter_, toCp1252(Edit1->text()), &found)));
    // A name that was found is selected, ready for the next one; a wrong one stays as
    // typed, to be corrected.
    if (found) Edit1->selectAll();
}

// The field takes the focus at each opening and whenever the window becomes active again,
// ready for the next name.
bool TVariable::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) Edit1->setFocus();
    return QDialog::event(event);
}

TParametres::TParametres(Interpreter& interpreter, QWidget* parent) : QDialog(parent), interpreter_(interpreter) {
    setObjectName("Parametres");
    setWindowTitle(QStringLiteral("Pamètres d'exécution"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true); // Enter in the field is OK
    Button2 = new QPushButton(QStringLiteral("Annuler"), this);
    Button2->setObjectName("Button2");
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Paramètres"), Edit1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(360, sizeHint().height());
}

void TParametres::Param() {
    Edit1->setText(fromCp1252(interpreter_.runArguments()));
    Edit1->setFocus();
    // Closing the window by its title bar counts as Annuler, like Escape.
    accepted_ = exec() == QDialog::Accepted;
    debugging::ApplyParameters(interpreter_, accepted_, toCp1252(Edit1->text()));
}

} // namespace zef
