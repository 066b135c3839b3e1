// TPocket: the pocket calculator's window, a keypad over the Calculator logic. Keys of
// the keyboard click the keys of the pad whichever of them has the focus.
#pragma once

#include "calculator.h"
#include "utilitywindow.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace zef {

class TPocket : public QDialog {
    Q_OBJECT
public:
    explicit TPocket(QWidget* parent = nullptr);

    // The pad's keys by CalculatorKey, "0" to "9" first and "Fermer" last.
    QPushButton* key(CalculatorKey k) const { return keys_[static_cast<std::size_t>(k)]; }
    QString displayText() const;
    // Tests read refusals here instead of from a message box.
    std::function<void(const QString&)> messageHook;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void press(CalculatorKey k);

    Calculator calculator_;
    std::array<QPushButton*, 20> keys_{};
    QLabel* display_;
};

} // namespace zef
