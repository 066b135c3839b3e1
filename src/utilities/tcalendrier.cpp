#include "tcalendrier.h"

#include "qttext.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace zef {

TCalendrier::TCalendrier(QWidget* parent) : QDialog(parent), regional_(regionalSettingsFromQt()) {
    setObjectName("Calendrier");
    setWindowTitle(QStringLiteral("Calendrier"));
    setWindowFlags(kCloseBoxOnly);
    setModal(true);

    Label1 = bigLabel(this, "Label1", 26, Qt::red);

    Calendar1 = new QCalendarWidget(this);
    Calendar1->setObjectName("Calendar1");
    // The day names follow the regional language; a C locale counts as French.
    if (QLocale().language() == QLocale::C) Calendar1->setLocale(QLocale(QLocale::French, QLocale::France));
    Calendar1->setFirstDayOfWeek(Qt::Sunday);
    Calendar1->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // The caption and the "Mois" buttons take the place of the grid's own navigation.
    Calendar1->setNavigationBarVisible(false);
    Calendar1->setDateEditEnabled(false);
    connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TCalendrier::updateCaption);

    auto* style = QApplication::style();
    BitBtn1 = new QPushButton(style->standardIcon(QStyle::SP_ArrowLeft), QStringLiteral("Mois"), this);
    BitBtn2 = new QPushButton(style->standardIcon(QStyle::SP_ArrowRight), QStringLiteral("Mois"), this);
    BitBtn2->setLayoutDirection(Qt::RightToLeft); // its picture on the right
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    // Enter in the grid presses no button.
    for (QPushButton* b : {BitBtn1, BitBtn2, Button1}) b->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { stepMonth(-1); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { stepMonth(+1); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    // Page Up, Page Down and Escape work from the grid and from every button.
    for (QWidget* w : {static_cast<QWidget*>(BitBtn1), static_cast<QWidget*>(BitBtn2),
                       static_cast<QWidget*>(Button1), static_cast<QWidget*>(Calendar1)})
        w->installEventFilter(this);
    if (auto* grid = Calendar1->findChild<QAbstractItemView*>()) grid->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(BitBtn2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Calendar1);
    layout->addLayout(buttons);
    // The caption spans the window's 372 pixels, so its text is centred.
    layout->setContentsMargins(12, 12, 12, 12);
    Label1->setMinimumWidth(372 - 24);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    updateCaption();
}

void TCalendrier::stepMonth(int months) {
    const QDate d = Calendar1->selectedDate();
    const CalendarDate next = addMonths({d.year(), d.month(), d.day()}, months);
    Calendar1->setSelectedDate(QDate(next.year, next.month, next.day));
}

void TCalendrier::updateCaption() {
    const QDate d = Calendar1->selectedDate();
    Label1->setText(fromCp1252(calendarCaption({d.year(), d.month(), d.day()}, regional_)));
}

void TCalendrier::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    updateCaption();
    Calendar1->setFocus();
}

bool TCalendrier::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_PageDown: stepMonth(+1); return true;
        case Qt::Key_PageUp: stepMonth(-1); return true;
        case Qt::Key_Escape: reject(); return true;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace zef
