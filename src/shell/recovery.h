// Backups of unsaved documents, so that a crash or a power cut loses at most a minute of
// work. Each running IDE keeps its backups in a folder of its own, held by a lock file;
// the next start finds the folders whose lock was left behind by a session that did not
// end, and offers their documents back.
#pragma once

#include <QLockFile>
#include <QString>

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

class RecoveryStore {
public:
    // `root` holds one folder per session (the application data folder in the IDE).
    explicit RecoveryStore(QString root);
    // A session that ends normally takes its folder away with it.
    ~RecoveryStore();

    // Starts this session's folder. Answers false when it cannot be made (no backups then).
    bool start();
    // Writes or replaces the backup of one document, atomically.
    bool save(const DocumentBackup& backup);
    void remove(const QString& id);
    const QString& folder() const { return folder_; }

    // The backups of sessions that ended without closing, oldest session first.
    std::vector<DocumentBackup> orphans() const;
    // Deletes the folders of those sessions (after their documents were taken back, or
    // refused).
    void discardOrphans();

private:
    QString fileFor(const QString& id) const;
    std::vector<QString> orphanFolders() const;

    QString root_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace zef
