// The functions the page's worker calls (web/src/worker.js): one session per worker. Every
// text returned stays valid until the next call.
#include "engine.h"

#include "endrecord.h"
#include "text.h"
#include "verdict.h"

#include <emscripten/emscripten.h>

namespace {

zef::web::Session& session() {
    static zef::web::Session one;
    return one;
}

const char* handOut(std::string text) {
    static std::string kept;
    kept = std::move(text);
    return kept.c_str();
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void zef_set_program(const char* utf8, const char* breakpoints) {
    session().setProgram(utf8, breakpoints);
}
EMSCRIPTEN_KEEPALIVE void zef_set_arguments(const char* utf8) { session().setArguments(utf8); }
EMSCRIPTEN_KEEPALIVE void zef_set_program_name(const char* utf8) { session().setProgramName(utf8); }
EMSCRIPTEN_KEEPALIVE int zef_start(int step) { return session().start(step != 0); }
EMSCRIPTEN_KEEPALIVE int zef_resume(int step) { return session().resume(step != 0); }
EMSCRIPTEN_KEEPALIVE void zef_give_line(const char* utf8) { session().giveLine(utf8); }
EMSCRIPTEN_KEEPALIVE void zef_close_box() { session().closeBox(); }
EMSCRIPTEN_KEEPALIVE void zef_interrupt() { session().interrupt(); }
EMSCRIPTEN_KEEPALIVE void zef_clear_interrupt() { session().clearInterrupt(); }
EMSCRIPTEN_KEEPALIVE const char* zef_events() { return handOut(session().events()); }
EMSCRIPTEN_KEEPALIVE const char* zef_state() { return handOut(session().state()); }
EMSCRIPTEN_KEEPALIVE const char* zef_colours(const char* utf8) { return handOut(session().colours(utf8)); }

// The verdict of a case from what zefrun gave (its output, exit status and end record),
// as zefcorrige and the desktop's Essais view judge it.
EMSCRIPTEN_KEEPALIVE const char* zef_judge(const char* output, int status, const char* endRecord,
                                           const char* expected, int exact) {
    zef::RunOutcome run;
    run.started = run.exited = true;
    run.status = status;
    run.output = output;
    run.end = zef::parseEndRecord(endRecord);
    const zef::CaseResult result = zef::judge(run, zef::comparableExpected(expected, exact != 0), exact != 0);
    zef::web::Json json;
    json.open('{');
    json.field("passed", result.passed());
    json.field("verdict", zef::verdictName(result.verdict));
    json.field("text", zef::verdictText(result));
    json.field("line", result.line);
    json.field("message", result.message);
    json.field("differenceLine", result.difference.same ? 0 : result.difference.line);
    json.field("expected", result.expected);
    json.field("obtained", result.obtained);
    json.close('}');
    return handOut(json.take());
}

} // extern "C"
