// The statements that steer the run, each one function (control.h); here what their
// general forms evaluate from a line's reading: a FOR heading the decoded operands cannot
// give, with every check the heading needs, in the order a stop reports the first that fails.
#include "interpreter_p.h"

#include "numtext.h"

namespace zef {

bool InterpreterPrivate::startFor(const ForReading& reading, std::int32_t& counter, std::int32_t& limit) {
    const ForHeadingText& heading = reading.heading;
    const auto stops = [this](Message message) {
        fail(message);
        return false;
    };
    if (!heading.assigns) return stops(Message::ForHeadingSyntax);
    const SymbolEntry* entry = findSymbol(heading.counter);
    if (!entry) return stops(Message::ForUnknownCounter);
    if (entry->Kind != SymbolKind::Integer) return stops(Message::ForCounterNotInteger);
    if (!heading.hasTo) return stops(Message::ForHeadingSyntax);
    const std::string start = ScalarValue(reading.start);
    if (runStatus_ > 0) return false;
    if (!heading.endsWithDo) return stops(Message::SyntaxError);
    const std::string limitText = ScalarValue(reading.limit);
    if (runStatus_ > 0) return false;
    const auto last = parseInteger(limitText);
    if (!last) return stops(Message::ForBoundsIncompatible);
    StoreValue(start, SymbolKind::Integer, entry->Index);
    if (runStatus_ > 0) return false;
    counter = entry->Index;
    limit = *last;
    return true;
}

} // namespace zef
