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

} // namespace zef
