#include "generatordialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zef {
namespace {

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

std::string utf8(const QLineEdit* edit) { return edit->text().toStdString(); }

// The result operations: no text unless the dialog was accepted.
GeneratedText fragmentResult(bool accepted, const std::string& text) {
    return {accepted ? QString::fromStdString(text) : QString(), accepted};
}

} // namespace

TGeneratorDialog::TGeneratorDialog(QWidget* parent) : QDialog(parent) {
    // A title bar with a close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    form_ = new QVBoxLayout(this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName("Button1");
    Button2 = new QPushButton(QStringLiteral("Annuler"), this);
    Button2->setObjectName("Button2");
    // Enter and Escape are this dialog's own keys, not a default button's.
    for (QPushButton* b : {Button1, Button2}) {
        b->setAutoDefault(false);
        listenForKeys(b);
    }
    connect(Button1, &QPushButton::clicked, this, &TGeneratorDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TGeneratorDialog::Button2Click);
    setMinimumWidth(360);
    missingLabel = new QLabel(this);
    missingLabel->setObjectName("MissingLabel");
    missingLabel->setWordWrap(true);
    missingLabel->hide();
    buttons_ = new QHBoxLayout;
    buttons_->addWidget(missingLabel, 1);
    buttons_->addStretch();
    buttons_->addWidget(Button1);
    buttons_->addWidget(Button2);
}

void TGeneratorDialog::Button1Click() {
    // Nothing would be written: the dialog says what is missing instead, and stays.
    if (const QString why = missing(); !why.isEmpty()) {
        missingLabel->setText(why);
        missingLabel->show();
        adjustSize(); // the fields keep their height beside the new line
        return;
    }
    missingLabel->hide();
    accepted_ = true;
    done(Accepted);
}

void TGeneratorDialog::Button2Click() {
    accepted_ = false;
    done(Rejected);
}

void TGeneratorDialog::listenForKeys(QWidget* control) { control->installEventFilter(this); }

bool TGeneratorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (qobject_cast<QRadioButton*>(watched)) {
            // The operator and mode choices do not listen for Enter: it does nothing there.
            return isEnter(key);
        }
        if (isEnter(key)) {
            Button1Click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Button2Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TGeneratorDialog::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event->key())) return Button1Click();
    if (event->key() == Qt::Key_Escape) return Button2Click();
    QDialog::keyPressEvent(event);
}

void TGeneratorDialog::closeEvent(QCloseEvent* event) {
    accepted_ = false;
    QDialog::closeEvent(event);
}

void TGeneratorDialog::showEvent(QShowEvent* event) {
    // Every opening starts in the first field, its text (kept from the last use) selected,
    // with nothing said yet of what is missing.
    missingLabel->hide();
    firstField_->setFocus();
    firstField_->selectAll();
    QDialog::showEvent(event);
}

QLineEdit* TGeneratorDialog::addField(const QString& label) {
    auto* edit = new QLineEdit(this);
    if (!firstField_) firstField_ = edit;
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    form_->addWidget(caption);
    form_->addWidget(edit);
    listenForKeys(edit);
    return edit;
}

void TGeneratorDialog::chainTabs(const QList<QWidget*>& order) {
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

QList<QWidget*> TGeneratorDialog::radios(QButtonGroup* group) {
    QList<QWidget*> out;
    for (QAbstractButton* b : group->buttons()) out << b;
    return out;
}

QGroupBox* TGeneratorDialog::operatorGroup(QButtonGroup*& group) {
    auto* box = new QGroupBox(QStringLiteral("Opérateur"), this);
    auto* grid = new QHBoxLayout(box);
    group = new QButtonGroup(box);
    // The captions carry a leading blank for display; the operators written have none.
    const char* const captions[] = {" =", " <", " >", " <=", " >=", " <>"};
    for (int i = 0; i < 6; ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(captions[i]), box);
        group->addButton(radio, i);
        grid->addWidget(radio);
        listenForKeys(radio);
    }
    form_->addWidget(box);
    return box;
}

TBoucleFor::TBoucleFor(QWidget* parent) : TGeneratorDialog(parent) {
    setObjectName("BoucleFor");
    setWindowTitle(QStringLiteral("Boucle For"));
    Edit1 = addField(QStringLiteral("Compteur"));
    Edit2 = addField(QStringLiteral("Valeur initiale"));
    Edit3 = addField(QStringLiteral("Valeur finale"));
    form_->addLayout(buttons_);
    chainTabs({Edit1, Edit2, Edit3, Button1, Button2});
}

QString TBoucleFor::missing() const {
    return Edit1->text().isEmpty() ? QStringLiteral("Indiquez le compteur de la boucle.") : QString();
}

GeneratedText TBoucleFor::Result() const {
    return fragmentResult(accepted(), generators::ForFragment(utf8(Edit1), utf8(Edit2), utf8(Edit3)));
}

TBoucleWhile::TBoucleWhile(QWidget* parent) : TGeneratorDialog(parent) {
    setObjectName("BoucleWhile");
    setWindowTitle(QStringLiteral("Boucle While"));
    Edit1 = addField(QStringLiteral("Opérande 1"));
    operatorGroup(RadioGroup1);
    Edit2 = addField(QStringLiteral("Opérande 2"));
    form_->addLayout(buttons_);
    chainTabs(QList<QWidget*>{Edit1} + radios(RadioGroup1) + QList<QWidget*>{Edit2, Button1, Button2});
}

generators::Condition TBoucleWhile::condition() const {
    return {utf8(Edit1), RadioGroup1->checkedId(), utf8(Edit2)};
}

QString TBoucleWhile::missing() const {
    return QString::fromStdString(generators::missingInCondition(condition()));
}

GeneratedText TBoucleWhile::Result1() const { return fragmentResult(accepted(), generators::WhileFragment(condition())); }

GeneratedText TBoucleWhile::Result2() const { return fragmentResult(accepted(), generators::RepeatFragment(condition())); }

TConditionIf::TConditionIf(QWidget* parent) : TGeneratorDialog(parent) {
    setObjectName("ConditionIf");
    setWindowTitle(QStringLiteral("Condition If"));
    Edit1 = addField(QStringLiteral("Opérande 1"));
    operatorGroup(RadioGroup1);
    Edit2 = addField(QStringLiteral("Opérande 2"));
    CheckBox1 = new QCheckBox(QStringLiteral(" ELSE"), this);
    listenForKeys(CheckBox1);
    form_->addWidget(CheckBox1);
    form_->addLayout(buttons_);
    chainTabs(QList<QWidget*>{Edit1} + radios(RadioGroup1) +
              QList<QWidget*>{Edit2, Button1, Button2, CheckBox1});
}

QString TConditionIf::missing() const {
    return QString::fromStdString(generators::missingInCondition({utf8(Edit1), RadioGroup1->checkedId(), utf8(Edit2)}));
}

GeneratedText TConditionIf::Result() const {
    const generators::Condition c{utf8(Edit1), RadioGroup1->checkedId(), utf8(Edit2)};
    return fragmentResult(accepted(), generators::IfFragment(c, CheckBox1->isChecked()));
}

TFileIO::TFileIO(QWidget* parent) : TGeneratorDialog(parent) {
    setObjectName("FileIO");
    setWindowTitle(QStringLiteral("Lecture / Ecriture fichier"));
    Edit1 = addField(QStringLiteral("Variable fichier"));
    Edit2 = addField(QStringLiteral("Nom du fichier"));
    auto* box = new QGroupBox(QStringLiteral("Mode d'ouverture"), this);
    auto* row = new QHBoxLayout(box);
    RadioGroup1 = new QButtonGroup(box);
    const QString captions[] = {QStringLiteral("Lecture"), QStringLiteral("Ecriture")};
    for (int i = 0; i < 2; ++i) {
        auto* radio = new QRadioButton(captions[i], box);
        RadioGroup1->addButton(radio, i);
        row->addWidget(radio);
        listenForKeys(radio);
    }
    form_->addWidget(box);
    form_->addLayout(buttons_);
    chainTabs(QList<QWidget*>{Edit1, Edit2} + radios(RadioGroup1) + QList<QWidget*>{Button1, Button2});
    setMode(generators::FileMode::Read);
}

void TFileIO::setMode(generators::FileMode mode) {
    if (QAbstractButton* b = RadioGroup1->button(static_cast<int>(mode))) b->setChecked(true);
}

GeneratedText TFileIO::Result() const {
    const auto mode = static_cast<generators::FileMode>(RadioGroup1->checkedId());
    return fragmentResult(accepted(), generators::FileFragment(utf8(Edit1), utf8(Edit2), mode));
}

} // namespace zef
