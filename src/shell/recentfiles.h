// The programs last opened or saved, most recent first, kept in the user's settings so
// that "Fichier" lists them again at the next start.
#pragma once

#include <QString>
#include <QStringList>

namespace zef {

class RecentFiles {
public:
    static constexpr int kMaximum = 8;

    // Reads the list kept under `key` of the application's settings.
    explicit RecentFiles(QString key = QStringLiteral("recentFiles"));

    QStringList paths() const { return paths_; }
    // Puts the file first (once only, however it was named) and drops the oldest beyond
    // the maximum; the settings are written at once.
    void add(const QString& path);
    void remove(const QString& path);

    // One name per file: the absolute path with links resolved while the file exists, so
    // that "prog.pas", "./prog.pas" and a link to it are the same file.
    static QString identity(const QString& path);

private:
    void save() const;

    QString key_;
    QStringList paths_;
};

} // namespace zef
