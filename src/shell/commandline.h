// The command line of the IDE: program files to open, --help and --version.
#pragma once

#include <QString>
#include <QStringList>

namespace zef {

struct StartRequest {
    enum class Kind { Open, Help, Version, Error };
    Kind kind = Kind::Open;
    QStringList files; // Open: the programs to open, as given
    QString error;     // Error: what is wrong, in French
};

// Reads the arguments (without the program's name). --help and --version are honoured
// wherever they stand, so that they answer even beside options that only Qt knows; every
// other word that starts with "-" is an error, except after "--".
StartRequest parseCommandLine(const QStringList& arguments);

// The text of --help.
QString usageText();

} // namespace zef
