// TCalendrier: a month grid under a caption naming the month shown, with buttons and
// Page Up / Page Down to step from month to month. Kept between openings, so it reopens
// on the month last shown.
#pragma once

#include "calendar.h"
#include "utilitywindow.h"

#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace zef {

class TCalendrier : public QDialog {
    Q_OBJECT
public:
    explicit TCalendrier(QWidget* parent = nullptr);

    void stepMonth(int months);

    QPushButton* Button1; // "Fermer"
    QPushButton* BitBtn1; // previous month
    QPushButton* BitBtn2; // next month
    QLabel* Label1;       // the caption
    QCalendarWidget* Calendar1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCaption();

    RegionalSettings regional_;
};

} // namespace zef
