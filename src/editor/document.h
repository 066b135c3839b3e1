// The editor's document operations on a list of 8-bit lines: the template of a new
// program, step and breakpoint markers, the program-name check, the Save As naming rules,
// caret offsets (every line break counts as two characters) and safe loading and saving.
#pragma once

#include "interpreter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zef::editor {

constexpr char kStepMarker = '\x95';  // "•": the next line to run in step mode
constexpr char kBreakMarker = zef::BreakpointMarker; // "»": a breakpoint
constexpr int kTemplateCaretOffset = 86;

std::vector<std::string> templateLines();

// Removes the step marker from the start of every line.
void removeStepMarkers(std::vector<std::string>& lines);

// The name the file's name asks for (without its last 4 characters, upper case) and the
// name the first line declares (from its 9th character, upper case, leading blanks and
// the last character removed).
bool programNameMatches(const std::string& fileName, const std::string& firstLine);

// Save As: the chosen path with everything from the first "." of its file name removed
// and ".pas" appended; the first line that names the program after it.
std::string saveAsPath(const std::string& chosenPath);
std::string programLineFor(const std::string& pasPath);
// What Save As proposes: the document's own path once it has one; else, in `folder`, the
// name its PROGRAM line declares, or failing that its shown name ("PAS2.PAS"), with ".pas".
std::string proposedSavePath(const std::string& documentPath, const std::string& firstLine,
                             const std::string& shownName, const std::string& folder);
std::string fileNameOf(const std::string& path);

// Offsets count every line break as two characters (CR LF).
std::int64_t offsetOfLine(const std::vector<std::string>& lines, int line);
struct LineColumn {
    int line = 0, column = 0;
};
LineColumn lineColumnOf(const std::vector<std::string>& lines, std::int64_t offset);

// The line a breakpoint toggle at caret offset p acts on: the walk adds each line's length
// plus 2 and stops once the sum reaches p - 1. Returns the number of lines walked; the
// target is the line of that index. At the end of the text it is the last line.
int breakpointWalk(const std::vector<std::string>& lines, std::int64_t caret);
void toggleBreakpoint(std::vector<std::string>& lines, int line);

enum class Encoding { Utf8, Windows1252 };

struct SourceText {
    std::vector<std::string> lines; // 8-bit
    Encoding encoding = Encoding::Utf8;
};

// The longest line the editor opens: far beyond any program's, far below what makes the
// edit control slow.
constexpr std::size_t kMaxEditorLine = 65536;

// Reads a source file: UTF-8 when valid, else Windows-1252; CR, LF and CR LF end lines.
// Only a regular file of reasonable size, without a line longer than kMaxEditorLine, is
// read, and a UTF-8 file holding characters that Windows-1252 cannot hold is refused (the
// error names them): editing would lose them.
std::optional<SourceText> loadSource(const std::string& path, std::string& error);

// Asked before a read-only file is replaced, with the file's path; true lets the save go on.
using ConfirmReplace = std::function<bool(const std::string& path)>;

// Writes lines with CR LF line ends in the given encoding, so that a failed save never
// destroys the previous file: through a new temporary file (created exclusively, beside
// the target) renamed over the old one, keeping its permissions and, where allowed, its
// owner; a file with several hard links is written in place, after a copy of it is made
// beside it. A symbolic link is followed: its target is saved. A read-only file is
// replaced only when confirmReadOnly says yes. Returns false with a French error, or with
// an empty error when the user declined.
bool saveSource(const std::string& path, const std::vector<std::string>& lines, Encoding encoding,
                std::string& error, const ConfirmReplace& confirmReadOnly = {});

} // namespace zef::editor
