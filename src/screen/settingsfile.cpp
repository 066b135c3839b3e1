#include "settingsfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace zef {

std::unique_ptr<QSettings> openSettings() {
    const QString organization = QCoreApplication::organizationName();
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
                         (organization.isEmpty() ? QStringLiteral("Unknown Organization") : organization) + '/' +
                         QCoreApplication::applicationName() + QStringLiteral(".conf");
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace zef
