// The statements that steer the run, each one function (control.h); here what their
// general forms evaluate from a line's reading: a FOR heading the decoded operands cannot
// give, with every check the heading needs, in the order a stop reports the first that fails.
#include "interpreter_p.h"

#include "numtext.h"

namespace zef {

void InterpreterPrivate::startFor(const ForReading& reading, std::int32_t& counter, std::int32_t& limit) {
    const ForHeadingText& heading = reading.heading;
    if (!heading.assigns) fail(Message::ForHeadingSyntax);
    const SymbolEntry* entry = findSymbol(heading.counter);
    if (!entry) fail(Message::ForUnknownCounter);
    if (entry->Kind != SymbolKind::Integer) fail(Message::ForCounterNotInteger);
    if (!heading.hasTo) fail(Message::ForHeadingSyntax);
    const std::string start = ScalarValue(reading.start);
    if (!heading.endsWithDo) fail(Message::SyntaxError);
    const auto last = parseInteger(ScalarValue(reading.limit));
    if (!last) fail(Message::ForBoundsIncompatible);
    StoreValue(start, SymbolKind::Integer, entry->Index);
    counter = entry->Index;
    limit = *last;
}

} // namespace zef
