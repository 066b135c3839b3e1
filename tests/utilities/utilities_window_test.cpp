// The utilities' windows offscreen: keys reaching the calculator whichever key has the
// focus, the clock's "Set" through a fake clock, the calendar's keys, and the menu.
#include "tcalendrier.h"
#include "thorloge.h"
#include "tmainform.h"
#include "tpocket.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace zef;

namespace {

void key(QWidget* target, int code, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

void typeInto(QWidget* window, const QString& keys) {
    for (QChar c : keys) key(window->focusWidget(), 0, c);
}

} // namespace

TEST(TPocket, TheKeyboardDrivesThePadWhicheverKeyHasTheFocus) {
    TPocket pocket;
    QStringList messages;
    pocket.messageHook = [&](const QString& m) { messages << m; };
    pocket.show();
    EXPECT_EQ(pocket.focusWidget(), pocket.key(CalculatorKey::Equals));
    typeInto(&pocket, QStringLiteral("12+"));
    EXPECT_EQ(pocket.focusWidget(), pocket.key(CalculatorKey::Plus)) << "a typed key takes the focus";
    typeInto(&pocket, QStringLiteral("3.5="));
    EXPECT_EQ(pocket.displayText(), QStringLiteral("15,5"));
    typeInto(&pocket, QStringLiteral("/0="));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Division flottante par zéro")});
    key(pocket.focusWidget(), Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_FALSE(pocket.isVisible());
    pocket.show();
    EXPECT_EQ(pocket.displayText(), QString()) << "every opening starts afresh";
    EXPECT_EQ(pocket.focusWidget(), pocket.key(CalculatorKey::Equals));
}

namespace {

struct RefusingClock : ClockSetter {
    std::optional<std::string> setUniversalTime(const DateTime&) override {
        ++calls;
        return "la synchronisation automatique de l'heure est activée";
    }
    int calls = 0;
};

} // namespace

TEST(THorloge, SetFreezesThenAppliesAndReportsARefusal) {
    auto owned = std::make_unique<RefusingClock>();
    RefusingClock* clock = owned.get();
    THorloge horloge(nullptr, std::move(owned));
    QStringList messages;
    horloge.messageHook = [&](const QString& m) { messages << m; };
    horloge.show();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$")).match(horloge.Label1->text()).hasMatch());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$")).match(horloge.Label2->text()).hasMatch());
    EXPECT_EQ(horloge.focusWidget(), horloge.Button1);
    EXPECT_TRUE(horloge.Timer1->isActive());

    horloge.Button2->click();
    EXPECT_FALSE(horloge.Timer1->isActive()) << "editing stops the clock";
    horloge.RadioGroup1->button(4)->click(); // "An"
    const QString before = horloge.Label2->text();
    horloge.spinDown->click();
    EXPECT_NE(horloge.Label2->text(), before);
    horloge.Button2->click();
    EXPECT_EQ(clock->calls, 1);
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "L'heure n'a pas pu être changée : la synchronisation automatique de l'heure est activée")});
    EXPECT_TRUE(horloge.Timer1->isActive());
    key(horloge.Button1, Qt::Key_Escape, QStringLiteral("\x1b"));
    EXPECT_FALSE(horloge.isVisible());
    EXPECT_FALSE(horloge.Timer1->isActive());
}

TEST(TCalendrier, PageKeysStepMonthsFromEveryControlAndEscapeCloses) {
    TCalendrier calendrier;
    calendrier.Calendar1->setSelectedDate(QDate(2025, 12, 31));
    calendrier.show();
    const QString december = calendrier.Label1->text();
    EXPECT_TRUE(december.endsWith(QStringLiteral("  2025"))) << december.toStdString();
    key(calendrier.focusWidget(), Qt::Key_PageDown);
    EXPECT_EQ(calendrier.Calendar1->selectedDate(), QDate(2026, 1, 31));
    EXPECT_TRUE(calendrier.Label1->text().endsWith(QStringLiteral("  2026")));
    key(calendrier.BitBtn1, Qt::Key_PageDown);
    EXPECT_EQ(calendrier.Calendar1->selectedDate(), QDate(2026, 2, 28));
    key(calendrier.Button1, Qt::Key_PageUp);
    key(calendrier.BitBtn2, Qt::Key_PageUp);
    calendrier.BitBtn1->click();
    EXPECT_EQ(calendrier.Calendar1->selectedDate(), QDate(2025, 11, 28));
    calendrier.Calendar1->setSelectedDate(QDate(2025, 12, 2));
    EXPECT_EQ(calendrier.Label1->text(), december) << "a day change within the month shows the month";
    key(calendrier.BitBtn2, Qt::Key_Escape);
    EXPECT_FALSE(calendrier.isVisible());
    calendrier.show();
    EXPECT_EQ(calendrier.Calendar1->selectedDate(), QDate(2025, 12, 2)) << "the month is kept between openings";
}

TEST(Utilities, TheMenuOpensEachUtilityModally) {
    TMainForm form;
    form.show();
    QStringList opened;
    for (const char* item : {"Calendrier1", "Calculatrice1", "Horloge1"}) {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            opened << (modal ? modal->objectName() : QString());
            if (modal) modal->close();
        });
        form.action(QLatin1String(item))->trigger();
    }
    EXPECT_EQ(opened, (QStringList{"Calendrier", "Pocket", "Horloge"}));
}
