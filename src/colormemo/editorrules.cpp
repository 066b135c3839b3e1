#include "editorrules.h"

namespace zef {
namespace {

// The keywords are written as the editor has always listed them (IntTOStr and sin
// included); matching is in upper case, so their case does not matter.
const std::vector<std::string> kStatementWords = {
    "Abs",      "Assign",    "AssignPrn", "Break",     "Chdir",    "Chr",      "Close",
    "ClrScr",   "Copy",      "Cos",       "DateToStr", "DeleteFile", "Do",     "Else",
    "Eof",      "Exit",      "Exp",       "For",       "Goto",     "GotoXY",  "If",
    "Int",      "IntToHex",  "IntTOStr",  "Length",    "Ln",       "LowerCase", "Mkdir",
    "Ord",      "ParamCount", "ParamStr", "Pos",       "Random",   "Randomize", "ReadLn",
    "Repeat",   "Reset",     "Rewrite",   "Rmdir",     "sin",      "Sqrt",     "Then",
    "TimeToStr", "Until",    "UpperCase", "Val",       "While",    "Write",    "WriteLn"};

const std::vector<std::string> kDeclarationWords = {"Begin", "Char",      "End;",    "End.", "Integer",
                                                    "var",   "Procedure", "Program", "Read", "String"};

// The whole vocabulary of the language as the learner is offered it: the keyword list
// shows these words, and the line-comment rule carries them too (a line-end rule does
// not use its keywords, but the editor's rules have always held them).
const std::vector<std::string> kVocabulary = {
    "Abs",       "Assign",   "AssignPrn", "Begin",     "Break",    "Chdir",     "Chr",
    "Close",     "ClrScr",   "Copy",      "Cos",       "DateToStr", "DeleteFile", "Do",
    "Else",      "End.",     "End;",      "Eof",       "Exit",     "Exp",       "For",
    "Goto",      "GotoXY",  "If",        "Int",       "Integer",  "IntToHex",  "IntTOStr",
    "Length",    "Ln",       "LowerCase", "Mkdir",     "Ord",      "ParamCount", "ParamStr",
    "Pos",       "Procedure", "Random",   "Randomize", "Read",     "ReadLn",    "Real",
    "Repeat",    "Reset",    "Rewrite",   "Rmdir",     "sin",      "Sqrt",      "String",
    "Then",      "TimeToStr", "Until",    "UpperCase", "Val",      "Var",       "While",
    "Write",     "WriteLn"};

TColorRule& addRule(TDrawRules& rules, TKeyDrawingType kind, TColor colour) {
    TColorRule& rule = rules.Add();
    rule.setZOrder(0);
    rule.setKeyCase(false);
    rule.setPartWord(false);
    rule.setEnabled(true);
    rule.setKeyMaxHeight(1);
    rule.setKeyDrawingType(kind);
    rule.setDefKeyColor(colour);
    return rule;
}

} // namespace

const std::vector<std::string>& EditorVocabulary() { return kVocabulary; }

void SetEditorColorRules(TDrawRules& rules) {
    rules.Clear();
    // All four rules share priority 0, so at equal priority the later rule wins: a keyword
    // inside a line comment shows in its keyword colour.
    TColorRule& lineComments = addRule(rules, TKeyDrawingType::dtBeginLineEnd, clGray);
    lineComments.setKeyLineEndLst({"//"});
    lineComments.setKeywords(kVocabulary);
    addRule(rules, TKeyDrawingType::dtKeyShow, clBlue).setKeywords(kStatementWords);
    addRule(rules, TKeyDrawingType::dtBeginEnd, clGray).setKeyBegEndLst({"{;}"});
    addRule(rules, TKeyDrawingType::dtKeyShow, clMaroon).setKeywords(kDeclarationWords);
}

} // namespace zef
