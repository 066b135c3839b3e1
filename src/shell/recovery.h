// Backups of unsaved documents, so that a crash or a power cut loses at most a minute of
// work. Each running IDE keeps its backups in a folder of its own, held by a lock file;
// the next start finds the folders whose lock was left behind by a session that did not
// end, and offers their documents back.
//
// The backup folder is handled as a place others may have touched: a session folder that
// is a symbolic link is never entered, a backup is read only when it is a regular file of
// reasonable size (never through a link), and removing a session folder removes only the
// regular files this store writes there, then the folder if it is empty.
#pragma once

#include <QLockFile>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace zef {

struct DocumentBackup {
    QString id;      // unique within its session
    QString path;    // the document's file; empty for a new document
    QString caption; // the window's caption
    bool cp1252 = false; // the file's encoding (else UTF-8)
    QString text;
};

// A file of a crashed session that is not read back, and why (French).
struct SkippedBackup {
    QString file;
    QString reason;
};

class RecoveryStore {
public:
    // A backup is the document's text in JSON: a few times the largest program the editor
    // opens, whatever its characters.
    static constexpr std::size_t MaxBackupBytes = 32u << 20;

    // `root` holds one folder per session (the application data folder in the IDE).
    explicit RecoveryStore(QString root);
    // A session that ends normally takes its folder away with it.
    ~RecoveryStore();

    // Starts this session's folder. Answers false when it cannot be made (no backups then);
    // problem() says why.
    bool start();
    // Writes or replaces the backup of one document, atomically; problem() says why not.
    bool save(const DocumentBackup& backup);
    void remove(const QString& id);
    const QString& folder() const { return folder_; }
    const QString& root() const { return root_; }
    // Why backups cannot be written (French), after start() or save() failed.
    const QString& problem() const { return problem_; }

    // The backups of sessions that ended without closing, oldest session first. Files that
    // are not read back (a link, a device, a file too large) are listed in skipped, when
    // given; they stay where they are.
    std::vector<DocumentBackup> orphans(std::vector<SkippedBackup>* skipped = nullptr) const;
    // Deletes the backups of those sessions (after their documents were taken back, or
    // refused), and their folders once empty.
    void discardOrphans();

private:
    QString fileFor(const QString& id) const;
    std::vector<QString> orphanFolders() const;

    QString root_;
    QString folder_;
    QString problem_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace zef
