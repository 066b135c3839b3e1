// The statements that move text in and out: WRITE and WRITELN, READ and READLN, GOTOXY,
// and ASSIGN, RESET, REWRITE and CLOSE of a file variable. Each is one function, run in
// the two forms the control statements have (control.h): the fast form finds where the
// text goes and what it is from the line's decoded operands and hands the statement back
// when they cannot tell; the general form finds them from the line's reading and leaves
// where it meets what stops it. What the statement then does is the same code for both.
#pragma once

#include "control.h"

namespace zef {

class TransferStatements {
  public:
    using Control = ControlStatements;

    // WRITE and WRITELN: a value's text on the screen, in a file or on the printer; without
    // a value, WRITELN only ends the line.
    template <bool General>
    static bool write(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        const bool newLine = d.statement == Statement::Writeln;
        Output out;
        std::string& value = in.scratch_;
        if (!(Control::decodedFirst<General>(in, d) && decodedOutput(in, d.transfer, out, value))) {
            if constexpr (!General) return false;
            else in.writeArguments(d.reading.part<TransferReading>(), out, value);
        }
        in.runStatus_ = StatusOk;
        in.deliver(out, value, newLine);
        return true;
    }

    // READ and READLN: a line typed on the screen or read from a file, into a variable.
    template <bool General>
    static bool read(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        const bool newLine = d.statement == Statement::Readln;
        Input from;
        if (!(Control::decodedFirst<General>(in, d) && decodedInput(in, d.transfer, from))) {
            if constexpr (!General) return false;
            else in.readArguments(d.reading.part<TransferReading>().transfer, from);
        }
        in.runStatus_ = StatusOk;
        in.take(from, newLine);
        return true;
    }

    // GOTOXY(row,column): the cursor moves to the row and the column, counted from 1.
    template <bool General>
    static bool gotoXY(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        std::int64_t row = 0, column = 0;
        const FastValues values(in);
        if (!(Control::decodedFirst<General>(in, d) && values.integer(d.left, row) && values.integer(d.right, column))) {
            if constexpr (!General) return false;
            else in.gotoxyArguments(d.reading.part<GotoxyReading>(), row, column);
        }
        if (!in.placeCursor(row, column)) return Control::stop<General>(in, Message::BadParameterValue);
        in.runStatus_ = StatusOk;
        return true;
    }

    // ASSIGN(f,name): the file variable takes the name of its file.
    template <bool General>
    static bool assignFile(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        TextChannel* channel = nullptr;
        const std::string* name = nullptr;
        std::string named;
        if (Control::decodedFirst<General>(in, d)) {
            channel = in.fileChannel(d.transfer.file);
            name = channel ? FastValues(in).string(d.transfer.value) : nullptr;
        }
        if (!name) {
            if constexpr (!General) return false;
            else in.assignArguments(d.reading.part<AssignFileReading>(), channel, named);
            name = &named;
        }
        in.runStatus_ = StatusOk;
        channel->bind(*name);
        return true;
    }

    // RESET, REWRITE and CLOSE of a file variable; REWRITE(PRN) opens the printer.
    template <bool General>
    static bool openOrClose(InterpreterPrivate& in, DecodedProgram&, DecodedLine& d, std::int32_t&) {
        TextChannel* channel = Control::decodedFirst<General>(in, d) ? in.fileChannel(d.transfer.file) : nullptr;
        if (!channel) {
            if constexpr (!General) return false;
            else {
                const std::string& name = d.reading.name();
                if (d.statement == Statement::Rewrite && name == "PRN") {
                    in.openPrinter();
                    return true;
                }
                channel = &in.fileVariable(name);
            }
        }
        in.runStatus_ = StatusOk;
        if (d.statement == Statement::Close) in.closeChannel(*channel);
        else in.openChannel(*channel, d.statement == Statement::Rewrite);
        return true;
    }

  private:
    // Where WRITE goes and what it writes, from the decoded line.
    [[gnu::always_inline]] static bool decodedOutput(InterpreterPrivate& in, const Transfer& t, Output& out,
                                                     std::string& value) {
        switch (t.target) {
        case Transfer::Target::LineOnly: out = {}; return true;
        case Transfer::Target::Screen: out = {Output::To::Screen, nullptr}; break;
        case Transfer::Target::File:
            out = {Output::To::Channel, in.fileChannel(t.file)};
            if (!out.channel) return false;
            break;
        }
        return FastValues(in).text(t.value, value);
    }
    // Where READ reads from and into what, from the decoded line.
    [[gnu::always_inline]] static bool decodedInput(InterpreterPrivate& in, const Transfer& t, Input& from) {
        switch (t.target) {
        case Transfer::Target::LineOnly: from = {}; return true;
        case Transfer::Target::Screen: from = {Input::Source::Screen, nullptr, t.kind, t.slot}; return true;
        case Transfer::Target::File:
            from = {Input::Source::Channel, in.fileChannel(t.file), t.kind, t.slot};
            return from.channel && (t.kind != SymbolKind::String || in.slotInStore(SymbolKind::String, t.slot));
        }
        return false;
    }
};

} // namespace zef
