#include "installpaths.h"

#include <QDir>
#include <QFileInfo>

namespace zef {

QString installedExamplesFolder(const QString& programFolder) {
    // The path from bin/ to the examples comes from the install rules, so that an
    // installation under any prefix (/usr, /usr/local, a home folder) finds its own.
    const QFileInfo folder(QDir(programFolder).filePath(QStringLiteral(ZEF_EXAMPLES_FROM_BINDIR)));
    return folder.isDir() ? QDir::cleanPath(folder.absoluteFilePath()) : QString();
}

} // namespace zef
