#include "finddialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zef {

TFindDialog::TFindDialog(Kind kind, QWidget* parent) : QDialog(parent), kind_(kind) {
    const bool replace = kind == Kind::Replace;
    setObjectName(replace ? "ReplaceDialog1" : "FindDialog1");
    setWindowTitle(replace ? QStringLiteral("Remplacer") : QStringLiteral("Rechercher"));
    setModal(false);

    auto* fields = new QGridLayout;
    findEdit = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("&Rechercher :"), this);
    findLabel->setBuddy(findEdit);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(findEdit, 0, 1);
    if (replace) {
        replaceEdit = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("Rem&placer par :"), this);
        replaceLabel->setBuddy(replaceEdit);
        fields->addWidget(replaceLabel, 1, 0);
        fields->addWidget(replaceEdit, 1, 1);
    }

    matchCaseBox = new QCheckBox(QStringLiteral("Respecter la &casse"), this);
    wholeWordBox = new QCheckBox(QStringLiteral("&Mot entier"), this);
    auto* options = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(wholeWordBox);
    boxes->addWidget(matchCaseBox);
    options->addLayout(boxes);
    // The replace dialog always searches downwards: going upwards, a replacement that
    // contains the text it replaces would be found again and again.
    if (!replace) {
        auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
        auto* row = new QHBoxLayout(direction);
        upButton = new QRadioButton(QStringLiteral("&Haut"), direction);
        downButton = new QRadioButton(QStringLiteral("&Bas"), direction);
        downButton->setChecked(true);
        row->addWidget(upButton);
        row->addWidget(downButton);
        options->addWidget(direction);
    }

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    nextButton = new QPushButton(QStringLiteral("&Suivant"), this);
    nextButton->setDefault(true); // Enter
    buttons->addWidget(nextButton);
    if (replace) {
        replaceButton = new QPushButton(QStringLiteral("R&emplacer"), this);
        replaceAllButton = new QPushButton(QStringLiteral("Remplacer &tout"), this);
        buttons->addWidget(replaceButton);
        buttons->addWidget(replaceAllButton);
        for (QPushButton* b : {replaceButton, replaceAllButton}) b->setAutoDefault(false);
    }
    cancelButton = new QPushButton(QStringLiteral("Annuler"), this);
    cancelButton->setAutoDefault(false);
    buttons->addWidget(cancelButton);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    // Nothing to look for while the text is empty.
    auto enable = [this] {
        const bool any = !findEdit->text().isEmpty();
        for (QPushButton* b : {nextButton, replaceButton, replaceAllButton})
            if (b) b->setEnabled(any);
    };
    connect(findEdit, &QLineEdit::textChanged, this, enable);
    enable();

    connect(nextButton, &QPushButton::clicked, this, [this] {
        if (OnFind) OnFind(*this);
    });
    if (replace) {
        auto press = [this](bool all) {
            replaceOne_ = !all;
            replaceAll_ = all;
            if (OnReplace) OnReplace(*this);
        };
        connect(replaceButton, &QPushButton::clicked, this, [press] { press(false); });
        connect(replaceAllButton, &QPushButton::clicked, this, [press] { press(true); });
    }
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFindDialog::FindText() const { return findEdit->text(); }

void TFindDialog::setFindText(const QString& text) { findEdit->setText(text); }

QString TFindDialog::ReplaceText() const { return replaceEdit ? replaceEdit->text() : QString(); }

SearchOptions TFindDialog::Options() const {
    SearchOptions o;
    o.Down = !upButton || !upButton->isChecked();
    o.MatchCase = matchCaseBox->isChecked();
    o.WholeWord = wholeWordBox->isChecked();
    return o;
}

void TFindDialog::Execute() {
    show();
    raise();
    activateWindow();
    findEdit->setFocus();
    findEdit->selectAll();
}

} // namespace zef
