// The interpreter of the line-oriented Pascal dialect, as the IDE and zefrun use it: it
// runs a program straight from its lines, one statement per line, without a parse tree,
// and answers what the debugging views ask of a stopped run. Everything it works on is
// 8-bit Windows-1252 text. Its workings are in interpreter_p.h.
#pragma once

#include "channel.h"
#include "messages.h"
#include "platform.h"
#include "real48.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zef {

enum : std::int32_t {
    StatusOk = 0,
    StatusStop = 1,
    StatusStepAtBlockEnd = 998, // a step stopped where the innermost block's terminator runs
    // A call that ended before the program did, only for platforms that ask for it: the
    // run goes on when continued from the line given (Screen::readyFor, PollHook::pauseDue).
    StatusWaitingForUser = 996, // before a READ or a SHOWMESSAGE, until the user is done
    StatusPaused = 997,         // a slice of the run is over
};

constexpr int MaxSymbols = 200;
constexpr int MaxScalarSlots = 2000;
constexpr int MaxStringSlots = 100000; // string elements of a run, all variables together
// What the strings of one run may hold, far beyond any learner's program and far below
// what a machine has: a run that reaches either is abandoned with "Mémoire insuffisante"
// instead of exhausting the memory of the IDE or of zefrun.
constexpr std::size_t MaxStringLength = 32u << 20;  // bytes of one string
constexpr std::size_t MaxStringBytes = 128u << 20;  // bytes of all string variables together
constexpr int MaxFiles = 3;
constexpr int MaxValueStack = 100;
constexpr int MaxBlockStack = 30;
constexpr int MaxArguments = 10;
constexpr int LineHeight = 18;
constexpr int ColumnWidth = 8;

// A line that starts with this byte ("»" in Windows-1252) carries a breakpoint; the byte is
// not part of the program.
constexpr char BreakpointMarker = '\xBB';
inline bool hasBreakpointMarker(std::string_view line) { return !line.empty() && line[0] == BreakpointMarker; }
// The start of a document window's caption and of the screen window's, before the name.
constexpr std::string_view CaptionPrefix = "ZuzOvozov - ";

// What a name stands for: a variable of one of the five types, a label or a procedure.
// A variable's kind is also the kind of its slots. Each kind keeps the letter the symbol
// listing shows for it.
enum class SymbolKind : char {
    None = 0, // a variable of a type the interpreter does not know
    Char = 'C',
    Integer = 'I',
    Real = 'R',
    String = 'S',
    File = 'F',
    Label = 'L',
    Procedure = 'P',
};
constexpr char kindLetter(SymbolKind kind) { return static_cast<char>(kind); }
// The kinds whose slots hold a value a statement can read or store.
constexpr bool holdsValue(SymbolKind kind) {
    return kind == SymbolKind::Char || kind == SymbolKind::Integer || kind == SymbolKind::Real ||
           kind == SymbolKind::String;
}

struct SymbolEntry {
    std::string Name; // upper case; arrays end with "[", labels with ":"
    SymbolKind Kind = SymbolKind::None;
    std::int32_t Index = 0; // first store slot, or the line of a label or procedure
    std::int32_t Count = 1; // number of elements of a variable
};

// The word that closes a block: it runs on the block's resume line, as if written on the
// line before.
enum class Closing : char { None, Next, Wend, Until, EndSub };
// The word as a program writes it: "NEXT", "WEND", "UNTIL" or "ENDSUB" (empty for None).
std::string_view closingWord(Closing closing);

struct BlockEntry {
    std::int32_t ResumeLine = 0;
    Closing Terminator = Closing::None;
};

// The value of one store slot, as read by LitValeur.
struct SlotValue {
    SymbolKind kind = SymbolKind::None;
    char c = 0;
    std::int32_t i = 0;
    Real48 r;
    std::string s;
};

class InterpreterPrivate;

class Interpreter {
public:
    explicit Interpreter(Platform platform);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // The operations the screen window publishes.
    void InitPrg(const std::string& programName);
    // Runs (line = 0) or continues (line > 0) the program; see the driver.
    void Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus);
    int CloseAll();
    // A name's kind and index; the run status says whether the name was found.
    void ChercheEtiq(std::string& name, SymbolKind& kind, std::int32_t& index);
    std::int64_t Indice(const std::string& indexText);
    SlotValue LitValeur(std::int32_t slot, SymbolKind kind) const;
    // The text a slot's value reads as in the program (WRITE, comparisons of texts): the
    // character, the decimal integer, the real with 15 digits and the regional separator,
    // the string; empty for a slot outside its store.
    std::string ValueText(std::int32_t slot, SymbolKind kind) const;

    // Run parameters (the parameters window's text), kept for the application's life;
    // splitArguments turns them into the words PARAMCOUNT and PARAMSTR give.
    void setRunArguments(const std::string& text);
    const std::string& runArguments() const;
    void splitArguments();
    // zefrun never stops at breakpoint markers.
    void setBreakpointsEnabled(bool enabled);
    // Off, every statement runs its general form, from the line's reading alone, which the
    // fast forms must match exactly.
    void setFastForms(bool enabled);

    // State for the front ends and the debugging views.
    std::int32_t runStatus() const;
    std::int32_t currentLine() const;
    // Whether the last call of Exec stopped on an error of the program (or an interrupt)
    // rather than after a single step or at a breakpoint: in step mode both give status 1.
    bool stoppedOnError() const;
    // Why it stopped when no message said so: a division by zero, an assignment to a name
    // never declared... (8-bit; empty after any other end, stop or message).
    const std::string& stopReason() const;
    // What the message of a stop was about when its text does not say: the file that RESET
    // or REWRITE could not open, and why ("notes.txt : fichier introuvable"); 8-bit, empty
    // when there is nothing to add.
    const std::string& messageDetail() const;
    const std::vector<SymbolEntry>& symbols() const;
    const std::string& programName() const;
    int cursorX() const;
    int cursorY() const;
    int argumentCount() const;
    const std::string& argumentText(int i) const;
    int valueTop() const;
    int blockTop() const;
    // Entries 1 to valueTop() and blockTop() of the two stacks.
    std::int32_t valueAt(int i) const;
    const BlockEntry& blockAt(int i) const;
    std::int32_t beginDepth() const;
    // Statements dispatched since the interpreter was made (terminator words included).
    std::uint64_t statementsRun() const;
    const RegionalSettings& regional() const;

private:
    friend class InterpreterPrivate;
    std::unique_ptr<InterpreterPrivate> d_;
};

} // namespace zef
