// 8-bit text: the interpreter and the text logic work on Windows-1252 bytes held in
// std::string. Conversions to Unicode happen only at the edges (files, screen, stdout).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zef {

// Windows-1252 <-> UTF-8. Characters that Windows-1252 cannot hold become '?'.
std::string cp1252ToUtf8(std::string_view text);
void appendCp1252AsUtf8(std::string& out, std::string_view text);
std::string utf8ToCp1252(std::string_view utf8);
// Windows-1252 <-> UTF-16, for the windowing side.
std::u16string cp1252ToUtf16(std::string_view text);
std::string utf16ToCp1252(std::u16string_view text);
// The Unicode code point of one Windows-1252 byte (undefined bytes map to themselves).
char32_t cp1252ToCodePoint(unsigned char c);

bool isValidUtf8(std::string_view bytes);
// One code point as UTF-8, at the end of `out`.
void appendUtf8(std::string& out, char32_t cp);
// Decodes the UTF-8 sequence at position i and moves i past it; false, with i unmoved, on
// a malformed sequence.
bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& cp);
// The characters of a UTF-8 text that Windows-1252 cannot hold, each once, in the order
// they first appear (UTF-8); empty when the whole text converts without loss.
std::string charactersOutside1252(std::string_view utf8);
// Decodes a file's bytes: UTF-8 when they are valid UTF-8, Windows-1252 otherwise.
// A UTF-8 byte-order mark is dropped. wasUtf8, when given, tells which it was.
std::string decodeFileText(std::string_view bytes, bool* wasUtf8 = nullptr);

// Blanks are every character up to and including the space (bytes 0 to 32).
inline bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
std::string trim(std::string_view text);
std::string trimLeft(std::string_view text);
std::string trimRight(std::string_view text);

// Only a..z change case; accented letters stay as they are.
std::string upperAscii(std::string_view text);
// The same on the characters of `text` from `from` on, in place.
void upperAsciiInPlace(std::string& text, std::size_t from = 0);
void lowerAsciiInPlace(std::string& text, std::size_t from = 0);
std::string lowerAscii(std::string_view text);
std::string tabsToSpaces(std::string_view text);

// Wherever a text is split at a separator, the part after it keeps at most 255 characters.
constexpr std::size_t kMaxPartLength = 255;
std::string cut255(std::string_view text);

bool startsWith(std::string_view text, std::string_view prefix);
bool endsWith(std::string_view text, std::string_view suffix);
// Removes one trailing character c when the text ends with it.
std::string dropTrailing(std::string_view text, char c);
// Removes the last character (usually a closing parenthesis); empty stays empty.
std::string dropLast(std::string_view text);

// Splits a file's text into lines: CR, LF and CR LF all end a line. A final line end
// does not start an extra empty line.
std::vector<std::string> splitLines(std::string_view text);

} // namespace zef
