#include "thorloge.h"

#include "systemclock.h"

#include <QButtonGroup>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace zef {

std::optional<std::string> TimedateClockSetter::setUniversalTime(const DateTime& utc) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return fallback_.setUniversalTime(utc);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("SetTime"));
    // Microseconds since the epoch, absolute (not relative), interactive authorisation.
    call << static_cast<qint64>(secondsSinceEpoch(utc) * 1000000) << false << true;
    // The service may wait for the user to type a password: two minutes, not the usual 25 s.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 120000);
    if (reply.type() == QDBusMessage::ReplyMessage) return std::nullopt;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
        error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn")))
        return fallback_.setUniversalTime(utc); // no time service on this system
    if (error == QLatin1String("org.freedesktop.timedate1.AutomaticTimeSyncEnabled"))
        return "la synchronisation automatique de l'heure est activée";
    if (error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
        error == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired") ||
        error.startsWith(QLatin1String("org.freedesktop.PolicyKit1.Error")))
        return "vous n'avez pas le droit de changer l'heure de l'ordinateur";
    if (error == QLatin1String("org.freedesktop.DBus.Error.InvalidArgs")) return kDateRefused;
    if (error == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        error == QLatin1String("org.freedesktop.DBus.Error.Timeout"))
        return "le service de l'heure du système ne répond pas";
    return "le service de l'heure du système a refusé le changement (" + error.toStdString() + ")";
}

THorloge::THorloge(QWidget* parent, std::unique_ptr<ClockSetter> clock)
    : QDialog(parent), clock_(clock ? std::move(clock) : std::make_unique<TimedateClockSetter>()), model_(*clock_) {
    setObjectName("Horloge");
    setWindowTitle(QStringLiteral("Horloge"));
    setWindowFlags(kCloseBoxOnly);
    setModal(true);
    setAutoFillBackground(true);
    QPalette dark = palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    setPalette(dark);

    Label1 = bigLabel(this, "Label1", 34, QColor(80, 255, 80));
    Label2 = bigLabel(this, "Label2", 34, QColor(255, 220, 60));

    // The field selector: none chosen until the user picks one.
    RadioGroup1 = new QButtonGroup(this);
    auto* choices = new QHBoxLayout;
    const char* const names[] = {"Hr", "Mn", "Jo", "Mo", "An"};
    for (int i = 0; i < 5; ++i) {
        auto* choice = new QRadioButton(QLatin1String(names[i]), this);
        RadioGroup1->addButton(choice, i);
        choices->addWidget(choice);
    }

    spinUp = new QToolButton(this);
    spinUp->setArrowType(Qt::UpArrow);
    spinDown = new QToolButton(this);
    spinDown->setArrowType(Qt::DownArrow);
    for (QToolButton* arrow : {spinUp, spinDown}) {
        arrow->setFixedSize(26, 16);
        // The arrows are drawn in the text colour, which is white on this window.
        QPalette p = arrow->palette();
        p.setColor(QPalette::WindowText, Qt::black);
        p.setColor(QPalette::ButtonText, Qt::black);
        arrow->setPalette(p);
    }
    connect(spinUp, &QToolButton::clicked, this, [this] { spin(+1); });
    connect(spinDown, &QToolButton::clicked, this, [this] { spin(-1); });
    auto* spinButton = new QVBoxLayout;
    spinButton->setSpacing(0);
    spinButton->addWidget(spinUp);
    spinButton->addWidget(spinDown);

    Button2 = new QPushButton(QStringLiteral("Set"), this);
    Button1 = new QPushButton(QStringLiteral("Fermer"), this);
    connect(Button2, &QPushButton::clicked, this, &THorloge::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] {
        model_.show(SystemClock().now());
        refresh();
    });

    auto* controls = new QHBoxLayout;
    controls->addLayout(choices);
    controls->addLayout(spinButton);
    controls->addStretch();
    controls->addWidget(Button2);
    controls->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addSpacing(10);
    layout->addLayout(controls);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    model_.show(SystemClock().now());
    refresh();
}

THorloge::~THorloge() = default;

void THorloge::refresh() {
    Label1->setText(QString::fromStdString(model_.time));
    Label2->setText(QString::fromStdString(model_.date));
}

void THorloge::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.activate(SystemClock().now());
    refresh();
    Timer1->start();
    Button1->setFocus(); // "Fermer" has the focus when the window opens
}

void THorloge::hideEvent(QHideEvent* event) {
    Timer1->stop();
    QDialog::hideEvent(event);
}

void THorloge::spin(int step) {
    const auto field = static_cast<ClockField>(RadioGroup1->checkedId());
    if (auto refused = model_.spin(field, step)) report(this, messageHook, *refused);
    refresh();
}

void THorloge::Button2Click() {
    const auto refused = model_.pressSet();
    if (model_.following()) Timer1->start();
    else Timer1->stop();
    if (refused) {
        report(this, messageHook, *refused);
        // The clock kept its time: show it again.
        model_.show(SystemClock().now());
    }
    refresh();
}

} // namespace zef
