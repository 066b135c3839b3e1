#include "document.h"

#include "text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace zef::editor {
namespace fs = std::filesystem;

std::vector<std::string> templateLines() {
    return {"Program NomProg;", "var I: integer;", "var R: real;", "var C: char;",
            "var S: string;",   "begin",           "",             "end."};
}

void removeStepMarkers(std::vector<std::string>& lines) {
    for (auto& line : lines)
        if (!line.empty() && line[0] == kStepMarker) line.erase(0, 1);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool programNameMatches(const std::string& fileName, const std::string& firstLine) {
    const std::string name = fileNameOf(fileName);
    const std::string expected = upperAscii(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0));
    std::string declared = upperAscii(trimLeft(firstLine.size() > 8 ? firstLine.substr(8) : ""));
    if (!declared.empty()) declared.pop_back();
    return expected == declared;
}

std::string saveAsPath(const std::string& chosenPath) {
    const auto slash = chosenPath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = chosenPath.find('.', nameStart);
    return chosenPath.substr(0, dot) + ".pas";
}

std::string programLineFor(const std::string& pasPath) {
    const std::string name = fileNameOf(pasPath);
    return "Program " + lowerAscii(name.substr(0, name.size() >= 4 ? name.size() - 4 : 0)) + ";";
}

std::int64_t offsetOfLine(const std::vector<std::string>& lines, int line) {
    std::int64_t sum = 0;
    for (int i = 0; i < line && i < static_cast<int>(lines.size()); ++i)
        sum += static_cast<std::int64_t>(lines[static_cast<std::size_t>(i)].size()) + 2;
    return sum;
}

LineColumn lineColumnOf(const std::vector<std::string>& lines, std::int64_t offset) {
    LineColumn lc;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto len = static_cast<std::int64_t>(lines[i].size());
        if (offset <= len || i + 1 == lines.size()) {
            lc.line = static_cast<int>(i);
            lc.column = static_cast<int>(std::min(std::max<std::int64_t>(offset, 0), len));
            return lc;
        }
        offset -= len + 2;
    }
    return lc;
}

int breakpointWalk(const std::vector<std::string>& lines, std::int64_t caret) {
    std::int64_t sum = 0;
    int walked = 0;
    do {
        if (walked >= static_cast<int>(lines.size())) break;
        sum += static_cast<std::int64_t>(lines[static_cast<std::size_t>(walked)].size()) + 2;
        ++walked;
    } while (sum < caret - 1);
    // In the last line the walk runs out of lines: the target is then the last line.
    return std::min(walked, std::max(static_cast<int>(lines.size()) - 1, 0));
}

void toggleBreakpoint(std::vector<std::string>& lines, int line) {
    if (line < 0 || line >= static_cast<int>(lines.size())) return;
    auto& text = lines[static_cast<std::size_t>(line)];
    if (!text.empty() && text[0] == kBreakMarker) text.erase(0, 1);
    else text.insert(text.begin(), kBreakMarker);
}

std::optional<SourceText> loadSource(const std::string& path, std::string& error) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) {
        error = "Impossible d'ouvrir le fichier " + path + " : " + std::strerror(errno);
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    SourceText source;
    bool utf8 = true;
    source.lines = splitLines(decodeFileText(bytes.str(), &utf8));
    source.encoding = utf8 ? Encoding::Utf8 : Encoding::Windows1252;
    if (source.lines.empty()) source.lines.emplace_back();
    return source;
}

bool saveSource(const std::string& path, const std::vector<std::string>& lines, Encoding encoding,
                std::string& error) {
    std::string data;
    for (const auto& line : lines) data += (encoding == Encoding::Utf8 ? cp1252ToUtf8(line) : line) + "\r\n";
    const fs::path target(path);
    fs::path temp = target;
    temp += ".zef-tmp-" + std::to_string(::getpid());
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = "Impossible d'enregistrer " + path + " : " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    const bool flushed = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
    const bool closed = std::fclose(f) == 0;
    if (!written || !flushed || !closed) {
        error = "Impossible d'enregistrer " + path + " : " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = "Impossible d'enregistrer " + path + " : " + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace zef::editor
