// Files, printer and directories: ASSIGN, ASSIGNPRN, RESET, REWRITE, CLOSE, the file and
// printer forms of WRITE, WRITELN, READ and READLN, the end-of-file test, DELETEFILE,
// MKDIR, RMDIR and CHDIR.
#include "interpreter_p.h"

#include "text.h"

#include <filesystem>
#include <system_error>

namespace zef {
namespace fs = std::filesystem;

TextChannel* InterpreterPrivate::channelOf(const SymbolEntry& entry) {
    return entry.Kind == SymbolKind::File ? fileChannel(entry.Index) : nullptr;
}


void InterpreterPrivate::abandonIo(int error) {
    runStatus_ = StatusStop;
    throw RunAbandoned(messageFor(Message::IoError, std::to_string(error)));
}

void InterpreterPrivate::assignArguments(const AssignFileReading& reading, TextChannel*& channel, std::string& name) {
    const AssignFileText& assignment = reading.assignment;
    if (!assignment.hasComma) fail(Message::SyntaxError);
    // A literal name arrives upper-cased; a string variable gives its value as stored.
    name = StringValue(reading.name);
    channel = &fileVariable(assignment.file);
}

TextChannel& InterpreterPrivate::fileVariable(const std::string& name) {
    const SymbolEntry* entry = findSymbol(name);
    TextChannel* channel = entry ? channelOf(*entry) : nullptr;
    if (!channel) fail(Message::FileVariableExpected);
    return *channel;
}

void InterpreterPrivate::AssignPrnStatement() { printer_.bound = true; }

void InterpreterPrivate::openPrinter() {
    if (!printer_.bound || !platform_.printer) {
        messageDetail_ = utf8ToCp1252(printer_.bound ? "imprimante : aucune imprimante" : "imprimante : ASSIGNPRN manquant");
        fail(Message::OpenFailed);
    }
    if (printer_.open) {
        printer_.open = false;
        platform_.printer->close();
    }
    if (!platform_.printer->open()) {
        messageDetail_ = utf8ToCp1252("imprimante : impression impossible");
        fail(Message::OpenFailed);
    }
    printer_.open = true;
}

void InterpreterPrivate::openChannel(TextChannel& channel, bool rewrite) {
    const int error = rewrite ? channel.openWrite() : channel.openRead();
    if (error == IoNotEnoughMemory) abandonMemory();
    if (error != IoOk) {
        // The message stays as learners know it; the front ends add which file and why.
        std::string why;
        switch (error) {
        case IoFileNotFound: why = "fichier introuvable"; break;
        case IoPathNotFound: why = "dossier introuvable"; break;
        case IoAccessDenied: why = "accès refusé"; break;
        default: break;
        }
        messageDetail_ = channel.name().empty() ? utf8ToCp1252("fichier sans nom (ASSIGN manquant)")
                                                : channel.name() + (why.empty() ? "" : " : " + utf8ToCp1252(why));
        fail(Message::OpenFailed);
    }
}

void InterpreterPrivate::closeChannel(TextChannel& channel) {
    if (channel.close() != IoOk) fail(Message::CloseOrEofFailed);
}

void InterpreterPrivate::writeToChannel(TextChannel& channel, const std::string& value, bool newLine) {
    int error = channel.write(value);
    if (error == IoOk) error = newLine ? channel.writeLineEnd() : channel.flush();
    if (error != IoOk) abandonIo(error);
}

void InterpreterPrivate::readFromChannel(TextChannel& channel, SymbolKind kind, std::int32_t slot, bool newLine) {
    std::string& text = scratch_;
    if (const int error = channel.readLine(text, newLine); error != IoOk) abandonIo(error);
    StoreValue(text, kind, slot);
}

bool InterpreterPrivate::FileEof(const std::string& name) {
    const SymbolEntry* entry = findSymbol(name);
    TextChannel* channel = entry ? channelOf(*entry) : nullptr;
    if (!channel) fail(Message::FileVariableExpected);
    bool atEnd = true;
    if (channel->eof(atEnd) != IoOk) fail(Message::CloseOrEofFailed);
    return atEnd;
}

bool InterpreterPrivate::insideConfinedFolder(const fs::path& path) const {
    const std::string& root = platform_.confinedFolder;
    if (root.empty()) return true;
    std::error_code ec;
    const std::string target = fs::weakly_canonical(fs::absolute(path, ec), ec).string();
    if (ec) return false;
    return target == root || (target.size() > root.size() && target.compare(0, root.size(), root) == 0 &&
                              (root.back() == '/' || target[root.size()] == '/'));
}

void InterpreterPrivate::DirectoryStatement(Statement statement, const StringOperandText& operand) {
    const std::string name = StringValue(operand);
    const fs::path path = resolveProgramPath(name);
    std::error_code ec;
    // A NUL byte would end the name early for the system and act on another file: such a
    // name is refused like any name that does not do.
    const bool valid = !name.empty() && name.find('\0') == std::string::npos;
    if (statement == Statement::DeleteFile) {
        const bool ok = valid && !fs::is_directory(path, ec) && fs::remove(path, ec);
        if (!ok) fail(Message::FileNotDeleted, name);
    } else if (statement == Statement::MkDir) {
        if (!valid || !fs::create_directory(path, ec))
            fail(Message::FolderNotCreated, name);
    } else if (statement == Statement::RmDir) {
        const bool ok = valid && fs::is_directory(path, ec) && fs::remove(path, ec);
        if (!ok) fail(Message::FolderNotDeleted, name);
    } else {
        // A confined run's folders outside its own are as missing as those that do not
        // exist: the answer must not tell the program which ones do.
        if (!valid || !fs::is_directory(path, ec) || !insideConfinedFolder(path))
            fail(Message::FolderMissing, name);
        fs::current_path(path, ec);
        if (ec) fail(Message::FolderMissing, name);
    }
}

} // namespace zef
