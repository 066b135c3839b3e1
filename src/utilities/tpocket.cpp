#include "tpocket.h"

#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zef {

namespace {

using K = CalculatorKey;
// The pad, row by row, with the captions the keys carry.
constexpr K kPad[4][5] = {
    {K::Digit7, K::Digit8, K::Digit9, K::Plus, K::Reciprocal},
    {K::Digit4, K::Digit5, K::Digit6, K::Minus, K::SquareRoot},
    {K::Digit1, K::Digit2, K::Digit3, K::Times, K::Clear},
    {K::Comma, K::Digit0, K::Equals, K::Divide, K::Close},
};
const char* const kCaptions[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ",",
                                 "=", "+", "-", "*", "/", "1/x", "sqr", "C", "Fermer"};

} // namespace

TPocket::TPocket(QWidget* parent) : QDialog(parent) {
    setObjectName("Pocket");
    setWindowTitle(QStringLiteral("Calculatrice"));
    setWindowFlags(kCloseBoxOnly);
    setModal(true);

    // The display: a dark frame round a light, right-aligned text, under a red strip.
    auto* strip = new QFrame(this);
    strip->setFixedSize(36, 6);
    strip->setStyleSheet(QStringLiteral("background: #c00000;"));
    auto* frame = new QFrame(this);
    frame->setStyleSheet(QStringLiteral("QFrame#displayFrame { background: #303030; }"));
    frame->setObjectName("displayFrame");
    display_ = new QLabel(frame);
    display_->setObjectName("display");
    display_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    display_->setMinimumHeight(34);
    // A long number does not widen the window: the display shows its last digits.
    display_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    display_->setStyleSheet(QStringLiteral("background: #f4f8ec; color: black; padding: 0 6px;"));
    QFont big = display_->font();
    big.setPixelSize(22);
    display_->setFont(big);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    frameLayout->addWidget(display_);

    auto* pad = new QGridLayout;
    pad->setSpacing(6);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 5; ++column) {
            const K k = kPad[row][column];
            const auto index = static_cast<std::size_t>(k);
            auto* button = new QPushButton(QString::fromLatin1(kCaptions[index]), this);
            button->setObjectName(QStringLiteral("Button%1").arg(index));
            button->setMinimumSize(column == 4 ? 64 : 44, 34);
            button->setFocusPolicy(Qt::StrongFocus); // a click gives the key the focus
            connect(button, &QPushButton::clicked, this, [this, k] { press(k); });
            keys_[index] = button;
            pad->addWidget(button, row, column);
        }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(strip, 0, Qt::AlignRight);
    layout->addWidget(frame);
    layout->addSpacing(6);
    layout->addLayout(pad);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TPocket::displayText() const { return display_->text(); }

void TPocket::press(CalculatorKey k) {
    if (k == K::Close) {
        reject();
        return;
    }
    if (k == K::Clear) key(K::Equals)->setFocus();
    const auto refused = calculator_.press(k);
    display_->setText(QString::fromStdString(calculator_.display()));
    if (refused) report(this, messageHook, *refused);
}

void TPocket::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Every opening starts a new calculation, with "=" ready for Enter.
    press(K::Clear);
}

void TPocket::keyPressEvent(QKeyEvent* event) {
    // The keys of the pad pass on what they do not use, so the window sees every
    // character whichever key has the focus.
    const QString text = event->text();
    const auto k = text.size() == 1 ? calculatorKeyFor(text.at(0).toLatin1()) : std::nullopt;
    if (!k) return QDialog::keyPressEvent(event);
    QPushButton* button = key(*k);
    button->setFocus(Qt::OtherFocusReason);
    button->click();
}

} // namespace zef
