#include "zoom.h"

#include "settingsfile.h"

#include <QKeyEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

namespace zef::zoom {

namespace {
constexpr std::array<double, 13> kSteps = {0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};

} // namespace

double step(double current, int direction) {
    if (direction == 0) return 1.0;
    if (direction > 0) {
        for (double s : kSteps)
            if (s > current + 1e-6) return s;
        return kSteps.back();
    }
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < current - 1e-6) return *it;
    return kSteps.front();
}

bool fromKey(const QKeyEvent& event, int& direction) {
    if (event.matches(QKeySequence::ZoomIn) ||
        (event.modifiers() & Qt::ControlModifier && (event.key() == Qt::Key_Plus || event.key() == Qt::Key_Equal))) {
        direction = 1;
        return true;
    }
    if (event.matches(QKeySequence::ZoomOut) ||
        (event.modifiers() & Qt::ControlModifier && event.key() == Qt::Key_Minus)) {
        direction = -1;
        return true;
    }
    if (event.modifiers() & Qt::ControlModifier && (event.key() == Qt::Key_0 || event.key() == Qt::Key_Agrave)) {
        direction = 0; // Ctrl+0, which is Ctrl+à on a French keyboard
        return true;
    }
    return false;
}

bool fromWheel(const QWheelEvent& event, int& direction) {
    if (!(event.modifiers() & Qt::ControlModifier) || event.angleDelta().y() == 0) return false;
    direction = event.angleDelta().y() > 0 ? 1 : -1;
    return true;
}

double load(const QString& kind) {
    // A value that does not read as a number (an edited settings file) means the default,
    // not the 0 that toDouble would make of it (the smallest zoom once clamped).
    bool isNumber = false;
    const auto settings = openSettings();
    const double f = settings ? settings->value(QStringLiteral("zoom/") + kind, 1.0).toDouble(&isNumber) : 1.0;
    return std::clamp(isNumber && std::isfinite(f) ? f : 1.0, kSteps.front(), kSteps.back());
}

void save(const QString& kind, double factor) {
    if (const auto settings = openSettings()) settings->setValue(QStringLiteral("zoom/") + kind, factor);
}

} // namespace zef::zoom
