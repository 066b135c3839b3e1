// The published interpreter: each operation hands over to its workings.
#include "interpreter_p.h"

namespace zef {

Interpreter::Interpreter(Platform platform) : d_(std::make_unique<InterpreterPrivate>(std::move(platform))) {}
Interpreter::~Interpreter() = default;

void Interpreter::InitPrg(const std::string& programName) { d_->InitPrg(programName); }
void Interpreter::Exec(LineList& lines, std::int32_t& line, std::int32_t& step, std::int32_t& outStatus) {
    d_->Exec(lines, line, step, outStatus);
}
int Interpreter::CloseAll() { return d_->CloseAll(); }
void Interpreter::ChercheEtiq(std::string& name, SymbolKind& kind, std::int32_t& index) { d_->ChercheEtiq(name, kind, index); }
std::int64_t Interpreter::Indice(const std::string& indexText) { return d_->Indice(indexText); }
SlotValue Interpreter::LitValeur(std::int32_t slot, SymbolKind kind) const { return d_->LitValeur(slot, kind); }
std::string Interpreter::ValueText(std::int32_t slot, SymbolKind kind) const {
    std::string text;
    d_->appendValueText(kind, slot, text);
    return text;
}

void Interpreter::setRunArguments(const std::string& text) { d_->setRunArguments(text); }
const std::string& Interpreter::runArguments() const { return d_->runArguments(); }
void Interpreter::splitArguments() { d_->splitArguments(); }
void Interpreter::setBreakpointsEnabled(bool enabled) { d_->setBreakpointsEnabled(enabled); }
void Interpreter::setFastForms(bool enabled) { d_->setFastForms(enabled); }

std::int32_t Interpreter::runStatus() const { return d_->runStatus(); }
std::int32_t Interpreter::currentLine() const { return d_->currentLine(); }
bool Interpreter::stoppedOnError() const { return d_->stoppedOnError(); }
const std::string& Interpreter::stopReason() const { return d_->stopReason(); }
const std::string& Interpreter::messageDetail() const { return d_->messageDetail(); }
const std::vector<SymbolEntry>& Interpreter::symbols() const { return d_->symbols(); }
const std::string& Interpreter::programName() const { return d_->programName(); }
int Interpreter::cursorX() const { return d_->cursorX(); }
int Interpreter::cursorY() const { return d_->cursorY(); }
int Interpreter::argumentCount() const { return d_->argumentCount(); }
const std::string& Interpreter::argumentText(int i) const { return d_->argumentText(i); }
int Interpreter::valueTop() const { return d_->valueTop(); }
int Interpreter::blockTop() const { return d_->blockTop(); }
std::int32_t Interpreter::valueAt(int i) const { return d_->valueAt(i); }
const BlockEntry& Interpreter::blockAt(int i) const { return d_->blockAt(i); }
std::int32_t Interpreter::beginDepth() const { return d_->beginDepth(); }
std::uint64_t Interpreter::statementsRun() const { return d_->statementsRun(); }
const RegionalSettings& Interpreter::regional() const { return d_->regional(); }

} // namespace zef
