#include "vocabulary.h"

#include <algorithm>

namespace zef {

const std::array<StatementWord, 29> kStatementWords = {{
    {"CALL", Statement::Call},
    {"CLRSCR", Statement::Clrscr},
    {"RANDOMIZE", Statement::Randomize},
    {"WRITE", Statement::Write},
    {"WRITELN", Statement::Writeln},
    {"READ", Statement::Read},
    {"READLN", Statement::Readln},
    {"ASSIGN", Statement::AssignFile},
    {"ASSIGNPRN", Statement::AssignPrn},
    {"RESET", Statement::Reset},
    {"REWRITE", Statement::Rewrite},
    {"CLOSE", Statement::Close},
    {"GOTOXY", Statement::Gotoxy},
    {"GOTO", Statement::Goto},
    {"EXIT", Statement::Exit},
    {"BREAK", Statement::Break},
    {"IF", Statement::If},
    {"ELSE", Statement::Else},
    {"FOR", Statement::For},
    {"NEXT", Statement::Next},
    {"WHILE", Statement::While},
    {"WEND", Statement::Wend},
    {"REPEAT", Statement::Repeat},
    {"UNTIL", Statement::Until},
    {"SHOWMESSAGE", Statement::ShowMessage},
    {"DELETEFILE", Statement::DeleteFile},
    {"CHDIR", Statement::ChDir},
    {"RMDIR", Statement::RmDir},
    {"MKDIR", Statement::MkDir},
}};

Statement statementFor(std::string_view keyword) {
    for (const auto& word : kStatementWords)
        if (word.word == keyword) return word.statement;
    return Statement::Assignment;
}

const std::array<FunctionWord, 23> kFunctionWords = {{
    {"ABS", Function::Abs},
    {"INT", Function::Int},
    {"ORD", Function::Ord},
    {"VAL", Function::Val},
    {"POS", Function::Pos},
    {"LENGTH", Function::Length},
    {"PARAMCOUNT", Function::ParamCount},
    {"SQRT", Function::Sqrt},
    {"SIN", Function::Sin},
    {"COS", Function::Cos},
    {"LN", Function::Ln},
    {"EXP", Function::Exp},
    {"RANDOM", Function::Random},
    {"COPY", Function::Copy},
    {"PARAMSTR", Function::ParamStr},
    {"CHR", Function::Chr},
    {"INTTOHEX", Function::IntToHex},
    {"INTTOSTR", Function::IntToStr},
    {"UPPERCASE", Function::UpperCase},
    {"LOWERCASE", Function::LowerCase},
    {"DATETOSTR", Function::DateToStr},
    {"TIMETOSTR", Function::TimeToStr},
    {"EOF", Function::Eof},
}};

std::optional<Function> functionFor(std::string_view name) {
    const auto found = std::find_if(kFunctionWords.begin(), kFunctionWords.end(),
                                    [&](const FunctionWord& w) { return w.word == name; });
    if (found == kFunctionWords.end()) return std::nullopt;
    return found->function;
}

const std::array<std::string_view, 22> kReservedWords = {
    "PROGRAM", "VAR", "PROCEDURE", "BEGIN", "END", "ENDSUB", "NOP",
    "INTEGER", "REAL", "STRING", "CHAR", "TEXTFILE", "ARRAY", "OF",
    "THEN", "DO", "TO", "DOWNTO", "MOD", "NOT", "DATE", "PRN"};

} // namespace zef
