// What the utilities' windows share.
#pragma once

#include <QLabel>
#include <QString>

#include <functional>
#include <string>

namespace zef {

// A fixed dialog frame with a title and a close box, and no minimise or maximise boxes.
inline constexpr Qt::WindowFlags kCloseBoxOnly{Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint};

// A label of large, bold, coloured, centred text: the clock's figures, the calendar's caption.
inline QLabel* bigLabel(QWidget* parent, const char* name, int pixelSize, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    QFont f = label->font();
    f.setBold(true);
    f.setPixelSize(pixelSize);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

void showErrorBox(QWidget* parent, const QString& text); // the screen window's error box

// A refused key or change: in the error box, or to the hook the tests give.
inline void report(QWidget* window, const std::function<void(const QString&)>& hook, const std::string& message) {
    const QString text = QString::fromStdString(message);
    if (hook) hook(text);
    else showErrorBox(window, text);
}

} // namespace zef
