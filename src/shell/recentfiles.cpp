#include "recentfiles.h"

#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>

namespace zef {

RecentFiles::RecentFiles(QString key) : key_(std::move(key)) {
    // A settings file edited by hand may hold blanks, twins or too many entries.
    const auto settings = openSettings();
    const QStringList kept = settings ? settings->value(key_).toStringList() : QStringList();
    for (const QString& path : kept) {
        if (path.isEmpty() || paths_.size() >= kMaximum) continue;
        const QString id = identity(path);
        if (!paths_.contains(id)) paths_ << id;
    }
}

QString RecentFiles::identity(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

void RecentFiles::add(const QString& path) {
    if (path.isEmpty()) return;
    const QString id = identity(path);
    paths_.removeAll(id);
    paths_.prepend(id);
    while (paths_.size() > kMaximum) paths_.removeLast();
    save();
}

void RecentFiles::remove(const QString& path) {
    // The file may be gone, so its name is compared as it was kept, and as it resolves now.
    if (paths_.removeAll(path) + paths_.removeAll(identity(path)) > 0) save();
}

void RecentFiles::save() const {
    if (const auto settings = openSettings()) settings->setValue(key_, paths_);
}

} // namespace zef
