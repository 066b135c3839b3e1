// What the utilities' windows share.
#pragma once

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace zef {

// A fixed dialog frame with a title and a close box, and no minimise or maximise boxes.
inline constexpr Qt::WindowFlags kCloseBoxOnly{Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                               Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint};

void showErrorBox(QWidget* parent, const QString& text); // the screen window's error box

// A refused key or change: in the error box, or to the hook the tests give.
inline void report(QWidget* window, const std::function<void(const QString&)>& hook, const std::string& message) {
    const QString text = QString::fromStdString(message);
    if (hook) hook(text);
    else showErrorBox(window, text);
}

} // namespace zef
