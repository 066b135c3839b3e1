// THorloge: the desk clock's window over ClockModel, and the computer's clock as the
// desktop sets it.
#pragma once

#include "clock.h"
#include "utilitywindow.h"

#include <QDialog>

#include <functional>
#include <memory>

class QButtonGroup;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;

namespace zef {

// The system's time service (org.freedesktop.timedate1 on the system bus), which asks
// for the right to change the time the desktop way; clock_settime where no such service
// runs.
class TimedateClockSetter : public ClockSetter {
public:
    std::optional<std::string> setUniversalTime(const DateTime& utc) override;

private:
    PosixClockSetter fallback_;
};

class THorloge : public QDialog {
    Q_OBJECT
public:
    // The clock that "Set" changes; the time service when none is given.
    explicit THorloge(QWidget* parent = nullptr, std::unique_ptr<ClockSetter> clock = nullptr);
    ~THorloge() override;

    // Tests read refusals here instead of from a message box.
    std::function<void(const QString&)> messageHook;

    QLabel* Label1;  // time
    QLabel* Label2;  // date
    QButtonGroup* RadioGroup1;
    QToolButton* spinUp;
    QToolButton* spinDown;
    QPushButton* Button2; // "Set"
    QPushButton* Button1; // "Fermer"
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void spin(int step);
    void Button2Click();
    void refresh();

    std::unique_ptr<ClockSetter> clock_;
    ClockModel model_;
};

} // namespace zef
