// The words of the language in one place: the statement words the dispatcher and the
// decoder read a line's first word with, the built-in functions the expressions know, and
// the other reserved words. The help's keyword index is checked against these tables.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zef {

// What a line does, as the dispatcher reads it: its first word, or its structure.
enum class Statement : char {
    Nothing, // blank, label, PROGRAM, VAR, NOP, comment, PROCEDURE heading
    Begin,
    EndSub,
    End,
    Call,
    Clrscr,
    Randomize,
    Write,
    Writeln,
    Read,
    Readln,
    AssignFile,
    AssignPrn,
    Reset,
    Rewrite,
    Close,
    Gotoxy,
    Goto,
    Exit,
    Break,
    If,
    Else,
    For,
    Next,
    While,
    Wend,
    Repeat,
    Until,
    ShowMessage,
    DeleteFile,
    ChDir,
    RmDir,
    MkDir,
    Assignment, // any other first word
};

struct StatementWord {
    std::string_view word;
    Statement statement;
};

// The statement words of the language and what each one starts.
extern const std::array<StatementWord, 29> kStatementWords;
// The statement a first word (in upper case) starts: Assignment when it is none of them.
Statement statementFor(std::string_view keyword);

// The built-in functions. Each evaluator (integer, real, string) takes the ones that give
// its kind of value: ABS is both an integer and a real function.
enum class Function : char {
    Abs, Int, Ord, Val, Pos, Length, ParamCount,   // integer
    Sqrt, Sin, Cos, Ln, Exp, Random,              // real (and ABS)
    Copy, ParamStr, Chr, IntToHex, IntToStr,       // string
    UpperCase, LowerCase, DateToStr, TimeToStr,
    Eof,                                           // a condition on a file
};

struct FunctionWord {
    std::string_view word;
    Function function;
};

extern const std::array<FunctionWord, 23> kFunctionWords;
// The function a name (in upper case) calls, if any.
std::optional<Function> functionFor(std::string_view name);

// The other words a program writes: the structure, the declarations, the parts of
// statements and the operators.
extern const std::array<std::string_view, 22> kReservedWords;

// ---- The shapes of a line, read on its prepared text (tabs as spaces, trimmed, upper
// ---- case): what the pre-pass, the classification and the block scans look for.

// Lines that hold no statement: the program's heading, a declaration, a procedure's
// heading (entered only by calls), a comment.
constexpr bool isProgramHeading(std::string_view line) { return line.starts_with("PROGRAM"); }
constexpr bool isDeclaration(std::string_view line) { return line.starts_with("VAR"); }
constexpr bool isProcedureHeading(std::string_view line) { return line.starts_with("PROCEDURE"); }
constexpr bool isComment(std::string_view line) { return line.starts_with("{"); }
// A block as the scans see it: BEGIN alone opens it, any line that starts with END closes
// it (END, END;, END., ENDSUB, even ENDING := 1). The driver runs a line as BEGIN when it
// starts with that word: "BEGIN { body }" runs as BEGIN but opens no block for the scans.
constexpr bool opensBlock(std::string_view line) { return line == "BEGIN"; }
constexpr bool closesBlock(std::string_view line) { return line.starts_with("END"); }
constexpr bool runsAsBegin(std::string_view line) { return line.starts_with("BEGIN"); }
// The program's last line, and the other ENDs that the search for the main BEGIN counts.
constexpr bool endsProgram(std::string_view line) { return line == "END."; }
constexpr bool endsInnerBlock(std::string_view line) { return line == "END;" || line == "END"; }
// Where an IF's false branch goes, and where a BREAK leaves a REPEAT.
constexpr bool isElseLine(std::string_view line) { return line == "ELSE"; }
constexpr bool startsUntil(std::string_view line) { return line.starts_with("UNTIL"); }

} // namespace zef
