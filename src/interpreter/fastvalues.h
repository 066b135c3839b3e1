// The values the decoded forms read and write: operands resolved to store slots read
// without the general form, and the checks under which such a reading is the general form's own
// answer. Included by the forms (fastpath.cpp) alone, so that all of it is inlined there.
#pragma once

#include "decode.h"

#include "numtext.h"
#include "real48.h"
#include "text.h"

#include <charconv>
#include <cmath>

namespace zef {

// Reads the interpreter's stores for the fast path; false when the general form must decide.
class FastValues {
  public:
    explicit FastValues(InterpreterPrivate& in) : in_(in) {}

    // The slot an operand names, 0 when its element is outside the array.
    [[gnu::always_inline]] inline std::int32_t slotOf(const Operand& o) const {
        if (o.kind == Operand::Kind::Scalar) return o.slot;
        return elementSlot(in_, o);
    }
    // The slot of an array's element: its index, a number or an integer variable's value,
    // counts from 1 within the declared size; 0 outside it.
    [[gnu::always_inline]] static std::int32_t elementSlot(const InterpreterPrivate& in, const Operand& o) {
        const std::int64_t offset =
            o.indexByVariable ? std::int64_t{in.intStore_[static_cast<std::size_t>(o.index)]} - 1 : o.index;
        if (offset < 0 || offset >= o.count) return 0;
        return static_cast<std::int32_t>(o.slot + offset);
    }

    [[gnu::always_inline]] inline bool integer(const Operand& o, std::int64_t& out) const {
        switch (o.kind) {
        case Operand::Kind::Integer:
            out = o.i;
            return true;
        case Operand::Kind::Scalar:
            out = in_.intStore_[static_cast<std::size_t>(o.slot)];
            return true;
        case Operand::Kind::Element: {
            const std::int32_t slot = slotOf(o);
            if (!slot) return false;
            out = in_.intStore_[static_cast<std::size_t>(slot)];
            return true;
        }
        case Operand::Kind::Builtin:
            return builtinInteger(o, out);
        default:
            return false;
        }
    }

    // The integer built-ins on the stores' values. The general form reads the argument's value
    // text: an integer's decimal text, a real's 15 digits (which read back as the same
    // real), a character, a string. What only that text can decide goes back to it.
    bool builtinInteger(const Operand& o, std::int64_t& out) const {
        if (o.function == Function::ParamCount) {
            out = in_.parameterCount();
            return true;
        }
        if (o.function == Function::Length || o.function == Function::Pos) {
            const std::string* first = string(o.inner[0]);
            if (!first) return false;
            if (o.function == Function::Length) {
                out = static_cast<std::int64_t>(first->size());
                return true;
            }
            const std::string* haystack = string(o.inner[1]);
            if (!haystack) return false;
            out = positionOf(*first, *haystack);
            return true;
        }
        const Operand& argument = o.inner[0];
        const std::int32_t slot = slotOf(argument);
        if (!slot) return false;
        const auto at = static_cast<std::size_t>(slot);
        switch (argument.type) {
        case SymbolKind::Integer: {
            // The function reads the integer's decimal text, as it reads any value.
            char digits[16];
            const char* end = std::to_chars(digits, digits + sizeof digits, in_.intStore_[at]).ptr;
            return integerOfText(o.function, std::string_view(digits, static_cast<std::size_t>(end - digits)), out);
        }
        case SymbolKind::Real: {
            // A real's 15 digits read back as the same real: INT rounds the stored value.
            if (o.function != Function::Int) return false;
            const auto n = roundHalfEven(in_.realStore_[at].toDouble());
            if (!n) return false;
            out = *n;
            return true;
        }
        case SymbolKind::Char:
            return integerOfText(o.function, std::string_view(&in_.charStore_[at], 1), out);
        case SymbolKind::String: {
            const std::string* s = string(argument);
            return s && integerOfText(o.function, *s, out);
        }
        default:
            return false;
        }
    }

    // An integer built-in of a value text (integerOfValue); false where the text is no value
    // the function takes, which the general evaluation reports.
    [[gnu::always_inline]] bool integerOfText(Function function, std::string_view value, std::int64_t& out) const {
        const auto i = integerOfValue(function, value, in_.platform_.regional.decimalSeparator);
        if (!i) return false;
        out = *i;
        return true;
    }

    // The real built-ins on an integer or a real, computed on doubles and rounded to the
    // 6-byte real; a value outside their domain or the format goes back to the general form.
    bool builtinReal(const Operand& o, double& out) const {
        if (o.function == Function::Random) {
            out = in_.nextRandom();
            return true;
        }
        const Operand& argument = o.inner[0];
        double x = 0;
        if (argument.type == SymbolKind::Integer) {
            std::int64_t i = 0;
            if (!integer(argument, i)) return false;
            x = static_cast<double>(i);
        } else if (argument.type != SymbolKind::Real || !real(argument, x)) {
            return false;
        }
        const auto result = realFunction(o.function, x);
        if (!result) return false;
        const auto stored = roundToReal48(*result);
        if (!stored) return false;
        out = *stored;
        return true;
    }

    [[gnu::always_inline]] inline bool real(const Operand& o, double& out) const {
        switch (o.kind) {
        case Operand::Kind::Real:
            out = o.r;
            return true;
        case Operand::Kind::Scalar:
            out = in_.realStore_[static_cast<std::size_t>(o.slot)].toDouble();
            return true;
        case Operand::Kind::Element: {
            const std::int32_t slot = slotOf(o);
            if (!slot) return false;
            out = in_.realStore_[static_cast<std::size_t>(slot)].toDouble();
            return true;
        }
        case Operand::Kind::Builtin:
            return builtinReal(o, out);
        default:
            return false;
        }
    }

    // A string operand's value, without a copy; nullptr when the general form must decide.
    const std::string* string(const Operand& o) const {
        if (o.kind == Operand::Kind::Text) return &o.text;
        const std::int32_t slot = slotOf(o);
        if (!slot || slot >= static_cast<std::int64_t>(in_.stringStore_.size())) return nullptr;
        return &in_.stringStore_[static_cast<std::size_t>(slot)];
    }

    // The number a comparison reads from an operand, and whether that reading is exact.
    [[gnu::always_inline]] inline bool reading(const Operand& o, double& out, bool& exact) const {
        exact = o.exactReading;
        if (o.kind == Operand::Kind::Text) {
            out = o.r;
            return true;
        }
        if (o.kind == Operand::Kind::Integer) {
            out = o.i;
            return true;
        }
        if (o.type == SymbolKind::Integer) {
            std::int64_t i = 0;
            if (!integer(o, i)) return false;
            out = static_cast<double>(i);
            return true;
        }
        return real(o, out);
    }

    // The text ScalarValue gives an operand, for comparisons of texts and for WRITE.
    bool text(const Operand& o, std::string& out) const {
        if (o.kind == Operand::Kind::Text) {
            out = o.text;
            return true;
        }
        const std::int32_t slot = slotOf(o);
        if (!slot) return false;
        // The one writer of a value's text; a string element beyond the store goes back.
        if (o.type == SymbolKind::String && !string(o)) return false;
        out.clear();
        in_.appendValueText(o.type, slot, out);
        return true;
    }

    // -1, 0 or 1, or 2 when the general form must decide.
    [[gnu::always_inline]] inline int order(const Condition& c) const {
        if (c.numeric) {
            double a = 0, b = 0;
            bool exactA = true, exactB = true;
            if (!reading(c.left, a, exactA) || !reading(c.right, b, exactB)) return 2;
            if (!(exactA && exactB)) {
                // A real's text holds 15 digits: two values closer than that may read as
                // equal, or in either order.
                const double scale = std::max(std::fabs(a), std::fabs(b));
                if (std::fabs(a - b) <= scale * 1e-13) return 2;
            }
            return a < b ? -1 : (a > b ? 1 : 0);
        }
        std::string a, b;
        if (!text(c.left, a) || !text(c.right, b)) return 2;
        return compareAsFields(a, b);
    }

    // 0 false, 1 true, 2 undecided.
    [[gnu::always_inline]] inline int holds(const Condition& c) const {
        if (c.endOfFile) {
            TextChannel* channel = in_.fileChannel(c.file);
            bool atEnd = true;
            if (!channel || channel->eof(atEnd) != IoOk) return 2;
            return atEnd != c.negated ? 1 : 0;
        }
        const int o = order(c);
        if (o == 2) return 2;
        return satisfies(c.op, o);
    }

    [[gnu::always_inline]] inline bool assign(const DecodedLine& d) {
        const std::int32_t slot = slotOf(d.destination);
        if (!slot) return false;
        switch (d.destination.type) {
        case SymbolKind::Integer: {
            std::int64_t a = 0, b = 0;
            if (!integer(d.left, a) || !integer(d.right, b)) return false;
            const auto result = integerOperation(d.op, a, b);
            if (!result) return false;
            in_.intStore_[static_cast<std::size_t>(slot)] = *result;
            return true;
        }
        case SymbolKind::Real: {
            double a = 0, b = 0;
            if (!real(d.left, a) || !real(d.right, b)) return false;
            const auto result = realOperation(d.op, a, b);
            if (!result) return false;
            // The general form writes the rounded value with 15 digits and reads it back: that
            // gives the same six bytes, as 15 digits tell every 40-bit significand apart.
            Real48 stored;
            if (!stored.assign(*result)) return false;
            in_.realStore_[static_cast<std::size_t>(slot)] = stored;
            return true;
        }
        default:
            return assignText(d, slot);
        }
    }

    // A string or character target: the terms are joined in the interpreter's scratch text,
    // then copied into the store, whose room is kept from one statement to the next. The
    // store's own checks decide before anything is stored: an empty CHAR, an element
    // beyond the store, a text too long for the memory.
    [[gnu::always_inline]] inline bool assignText(const DecodedLine& d, std::int32_t slot) {
        // S := S + T, the commonest way to build a text: T is added in place.
        if (d.destination.type == SymbolKind::String && d.terms.size() == 2 && !d.terms[0].function &&
            !d.terms[1].function && slot < static_cast<std::int64_t>(in_.stringStore_.size())) {
            std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
            const std::string* tail = string(d.terms[1].source);
            if (string(d.terms[0].source) == &stored && tail) {
                const std::size_t size = stored.size() + tail->size();
                const std::size_t total = in_.stringBytes_ + tail->size();
                if (!stringFits(size, total)) return false;
                in_.stringBytes_ = total;
                stored.append(*tail); // a text added to itself is copied first by the library
                return true;
            }
        }
        // S := COPY(T, I, N): the part goes straight into the target.
        if (d.destination.type == SymbolKind::String && d.terms.size() == 1 && d.terms[0].function == Function::Copy &&
            slot < static_cast<std::int64_t>(in_.stringStore_.size())) {
            const StringTerm& t = d.terms[0];
            const std::string* s = string(t.source);
            std::int64_t from = 0, count = 0;
            if (!s || !integer(t.from, from) || !integer(t.count, count)) return false;
            std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
            const std::string_view part = copyOf(*s, from, count);
            const std::size_t total = in_.stringBytes_ - stored.size() + part.size();
            if (!stringFits(part.size(), total)) return false;
            stored.assign(part.data(), part.size()); // the library copies a part of the target first
            in_.stringBytes_ = total;
            return true;
        }
        std::string& value = in_.scratch_;
        value.clear();
        for (const StringTerm& t : d.terms)
            if (!appendTerm(t, value)) return false;
        if (d.destination.type == SymbolKind::Char) {
            if (value.empty() || slot > in_.charCount_) return false;
            in_.charStore_[static_cast<std::size_t>(slot)] = value[0];
            return true;
        }
        if (slot >= static_cast<std::int64_t>(in_.stringStore_.size())) return false;
        std::string& stored = in_.stringStore_[static_cast<std::size_t>(slot)];
        const std::size_t total = in_.stringBytes_ - stored.size() + value.size();
        if (!stringFits(value.size(), total)) return false;
        stored.assign(value);
        in_.stringBytes_ = total;
        return true;
    }

    // Appends one term of a string expression; false when the general form must decide.
    bool appendTerm(const StringTerm& t, std::string& value) const {
        if (!t.function) {
            const std::string* s = string(t.source);
            if (!s) return false;
            value += *s;
            return true;
        }
        switch (*t.function) {
        case Function::Copy: {
            const std::string* s = string(t.source);
            std::int64_t from = 0, count = 0;
            if (!s || !integer(t.from, from) || !integer(t.count, count)) return false;
            appendCopy(value, *s, from, count);
            return true;
        }
        case Function::ParamStr:
            value += in_.parameterText(t.from.i);
            return true;
        case Function::DateToStr:
        case Function::TimeToStr:
            in_.appendDateTime(*t.function, value);
            return true;
        case Function::UpperCase:
        case Function::LowerCase: {
            const std::string* s = string(t.source);
            if (!s) return false;
            const std::size_t from = value.size();
            value += *s;
            if (*t.function == Function::UpperCase) upperAsciiInPlace(value, from);
            else lowerAsciiInPlace(value, from);
            return true;
        }
        case Function::IntToStr:
            // An integer's or a real's value text, which always reads as a number.
            if (t.source.type != SymbolKind::Integer && t.source.type != SymbolKind::Real) return false;
            return appendText(t.source, value);
        case Function::Chr:
        case Function::IntToHex: {
            if (t.source.type != SymbolKind::Integer) return false;
            std::int64_t i = 0;
            if (!integer(t.source, i)) return false;
            if (*t.function == Function::Chr) appendChr(value, i);
            else appendHex(value, i);
            return true;
        }
        default:
            return false;
        }
    }

    // Appends a variable's value text (see text()).
    bool appendText(const Operand& o, std::string& out) const {
        const std::int32_t slot = slotOf(o);
        if (!slot) return false;
        in_.appendValueText(o.type, slot, out);
        return true;
    }

  private:
    InterpreterPrivate& in_;
};

} // namespace zef
