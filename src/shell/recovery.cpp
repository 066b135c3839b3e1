#include "recovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <atomic>

namespace zef {

namespace {

const QString kLockName = QStringLiteral("session.lock");
const QString kSuffix = QStringLiteral(".zefsauve");

} // namespace

RecoveryStore::RecoveryStore(QString root) : root_(std::move(root)) {}

RecoveryStore::~RecoveryStore() {
    if (!lock_) return;
    lock_->unlock();
    QDir(folder_).removeRecursively();
}

bool RecoveryStore::start() {
    // Each store gets a folder of its own, even two started in the same millisecond by
    // one process: a sequence number tells them apart, and mkdir (not mkpath) refuses
    // a folder that already exists.
    static std::atomic<unsigned> sequence{0};
    if (!QDir().mkpath(root_)) return false;
    const QDir root(root_);
    QString name;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 100) return false;
        name = QStringLiteral("session-%1-%2-%3")
                   .arg(QDateTime::currentMSecsSinceEpoch())
                   .arg(QCoreApplication::applicationPid())
                   .arg(sequence++);
        if (root.mkdir(name)) break;
        if (!QFileInfo(root.filePath(name)).exists()) return false;
    }
    folder_ = root.filePath(name);
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(kLockName));
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    return true;
}

QString RecoveryStore::fileFor(const QString& id) const { return QDir(folder_).filePath(id + kSuffix); }

bool RecoveryStore::save(const DocumentBackup& backup) {
    if (!lock_) return false;
    QJsonObject o;
    o["path"] = backup.path;
    o["caption"] = backup.caption;
    o["encoding"] = backup.cp1252 ? QStringLiteral("windows-1252") : QStringLiteral("utf-8");
    o["text"] = backup.text;
    QSaveFile file(fileFor(backup.id));
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(QJsonDocument(o).toJson(QJsonDocument::Compact));
    return file.commit();
}

void RecoveryStore::remove(const QString& id) {
    if (lock_) QFile::remove(fileFor(id));
}

std::vector<QString> RecoveryStore::orphanFolders() const {
    std::vector<QString> out;
    const QDir root(root_);
    const auto sessions = root.entryList({QStringLiteral("session-*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : sessions) {
        const QString folder = root.filePath(name);
        if (folder == folder_) continue;
        // A session still running holds its lock; a crashed one left a stale lock (or none).
        QLockFile probe(QDir(folder).filePath(kLockName));
        probe.setStaleLockTime(0);
        if (!probe.tryLock(0)) continue;
        probe.unlock();
        out.push_back(folder);
    }
    return out;
}

std::vector<DocumentBackup> RecoveryStore::orphans() const {
    std::vector<DocumentBackup> out;
    for (const QString& folder : orphanFolders()) {
        const auto files = QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Name);
        for (const QFileInfo& info : files) {
            QFile f(info.filePath());
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
            if (!o.contains("text")) continue; // not one of ours, or cut short
            out.push_back({info.completeBaseName(), o["path"].toString(), o["caption"].toString(),
                           o["encoding"].toString() == QStringLiteral("windows-1252"), o["text"].toString()});
        }
    }
    return out;
}

void RecoveryStore::discardOrphans() {
    for (const QString& folder : orphanFolders()) QDir(folder).removeRecursively();
}

} // namespace zef
