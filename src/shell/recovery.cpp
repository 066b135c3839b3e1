#include "recovery.h"

#include "sourcefile.h"
#include "systemerror.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zef {

namespace {

const QString kLockName = QStringLiteral("session.lock");
const QString kSuffix = QStringLiteral(".zefsauve");

QString french(const std::string& utf8) { return QString::fromStdString(utf8); }

// The names this store (and the lock and the atomic saves behind it) write in a session
// folder: the lock file, the backups, and what an interrupted save left beside them.
bool isOurFileName(const QString& name) {
    return name.startsWith(kLockName) || name.endsWith(kSuffix) || name.contains(kSuffix + '.');
}

// Removes a session folder without ever following a link: the folder is opened as itself
// (O_NOFOLLOW), and only the regular files of ours inside it are removed, through that
// handle. A backup too large to be read back stays, as does anything else; the folder goes
// when nothing is left in it.
void removeSessionFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const int dirFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0) return; // gone, or a link: never entered
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    std::vector<std::string> ours;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!isOurFileName(name)) continue;
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            static_cast<std::uintmax_t>(info.st_size) <= RecoveryStore::MaxBackupBytes)
            ours.emplace_back(entry->d_name);
    }
    for (const std::string& name : ours) ::unlinkat(dirFd, name.c_str(), 0);
    ::closedir(dir); // closes dirFd
    ::rmdir(path.constData()); // fails, as it should, while anything else is inside
}

} // namespace

RecoveryStore::RecoveryStore(QString root) : root_(std::move(root)) {}

RecoveryStore::~RecoveryStore() {
    if (!lock_) return;
    lock_->unlock();
    removeSessionFolder(folder_);
}

bool RecoveryStore::start() {
    // Each store gets a folder of its own, even two started in the same millisecond by
    // one process: a sequence number tells them apart, and mkdir (not mkpath) refuses
    // a folder that already exists.
    static std::atomic<unsigned> sequence{0};
    auto fail = [this](const QString& reason) {
        problem_ = QStringLiteral("%1 : %2").arg(QDir::toNativeSeparators(root_), reason);
        return false;
    };
    const QFileInfo rootInfo(root_);
    if (rootInfo.exists() && !rootInfo.isDir()) return fail(QStringLiteral("ce n'est pas un dossier"));
    std::error_code ec;
    std::filesystem::create_directories(QFile::encodeName(root_).toStdString(), ec);
    if (ec) return fail(french(frenchReason(ec)));
    const QDir root(root_);
    QString name;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 100) return fail(QStringLiteral("aucun dossier de session n'a pu être créé"));
        name = QStringLiteral("session-%1-%2-%3")
                   .arg(QDateTime::currentMSecsSinceEpoch())
                   .arg(QCoreApplication::applicationPid())
                   .arg(sequence++);
        if (::mkdir(QFile::encodeName(root.filePath(name)).constData(), 0700) == 0) break;
        if (errno != EEXIST) return fail(french(frenchReason(errno)));
    }
    folder_ = root.filePath(name);
    lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(kLockName));
    lock_->setStaleLockTime(0); // only a dead owner makes a lock stale, never its age
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return fail(QStringLiteral("le verrou de la session ne peut pas être posé"));
    }
    problem_.clear();
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
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       file.write(QJsonDocument(o).toJson(QJsonDocument::Compact)) >= 0 && file.commit();
    if (!saved)
        problem_ = QStringLiteral("%1 : écriture impossible (disque plein ou accès refusé)")
                       .arg(QDir::toNativeSeparators(folder_));
    return saved;
}

void RecoveryStore::remove(const QString& id) {
    if (lock_) QFile::remove(fileFor(id));
}

std::vector<QString> RecoveryStore::orphanFolders() const {
    std::vector<QString> out;
    const QDir root(root_);
    // NoSymLinks: a session folder that is a link leads somewhere that is not ours.
    const auto sessions = root.entryList({QStringLiteral("session-*")},
                                         QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
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

std::vector<DocumentBackup> RecoveryStore::orphans(std::vector<SkippedBackup>* skipped) const {
    std::vector<DocumentBackup> out;
    for (const QString& folder : orphanFolders()) {
        // Every entry with a backup's name, whatever it is, so that none is passed over
        // without a word.
        const auto files = QDir(folder).entryInfoList({QStringLiteral("*") + kSuffix},
                                                      QDir::AllEntries | QDir::System | QDir::Hidden |
                                                          QDir::NoDotAndDotDot,
                                                      QDir::Name);
        for (const QFileInfo& info : files) {
            // The same bounded reading as a program's, and never through a link: a backup
            // that is a link to /dev/zero or a huge file is not read at all.
            const FileBytes read = readRegularFile(QFile::encodeName(info.filePath()).toStdString(),
                                                   MaxBackupBytes, false);
            QString reason;
            switch (read.problem) {
            case ReadProblem::None: break;
            case ReadProblem::System:
                reason = read.systemError == ELOOP ? QStringLiteral("c'est un lien symbolique")
                                                   : french(frenchReason(read.systemError));
                break;
            case ReadProblem::NotARegularFile: reason = QStringLiteral("ce n'est pas un fichier ordinaire"); break;
            case ReadProblem::TooLarge:
                reason = QStringLiteral("fichier trop gros (%1 Mo au plus)").arg(MaxBackupBytes >> 20);
                break;
            }
            if (!reason.isEmpty()) {
                if (skipped) skipped->push_back({info.filePath(), reason});
                continue;
            }
            const QJsonObject o =
                QJsonDocument::fromJson(QByteArray::fromStdString(*read.bytes)).object();
            if (!o.contains("text")) continue; // not one of ours, or cut short
            out.push_back({info.completeBaseName(), o["path"].toString(), o["caption"].toString(),
                           o["encoding"].toString() == QStringLiteral("windows-1252"), o["text"].toString()});
        }
    }
    return out;
}

void RecoveryStore::discardOrphans() {
    for (const QString& folder : orphanFolders()) removeSessionFolder(folder);
}

} // namespace zef
