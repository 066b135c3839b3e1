// Shows coloured runs in a form a test can compare at a glance: the characters of each
// run in quotes (line breaks as |), then its colour, and its priority and key flag when
// they are not the ordinary ones.
#pragma once

#include "colorpipeline.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace zef::testing {

inline std::string colourName(TColor c) {
    switch (c) {
    case clBlack: return "black";
    case clMaroon: return "maroon";
    case clGreen: return "green";
    case clGray: return "gray";
    case clRed: return "red";
    case clYellow: return "yellow";
    case clBlue: return "blue";
    case clWhite: return "white";
    case clWindow: return "window";
    case clWindowText: return "windowtext";
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "$%06X", c);
        return buf;
    }
    }
}

inline std::string describeRun(std::string_view whole, const TKeyDescr& run) {
    std::string out = "\"";
    for (std::int32_t i = run.start; i <= run.end && i < static_cast<std::int32_t>(whole.size()); ++i) {
        const char c = whole[static_cast<std::size_t>(i)];
        if (c == '\r') continue;
        out += c == '\n' ? '|' : c;
    }
    out += "\" " + colourName(run.colour);
    if (run.priority != 0) out += " p" + std::to_string(run.priority);
    if (run.keyFlag != 0) out += " key";
    return out;
}

inline std::vector<std::string> describe(std::string_view whole, const std::vector<TKeyDescr>& runs) {
    std::vector<std::string> out;
    for (const TKeyDescr& run : runs) out.push_back(describeRun(whole, run));
    return out;
}

// The runs one rule makes when it scans the whole text.
inline std::vector<TKeyDescr> scanWhole(TColorRule& rule, std::string_view text) {
    TKeyDescrList list;
    const ScanText scanned{text, 0};
    RunSink sink(list, scanned);
    rule.ScanRule(scanned, sink);
    std::vector<TKeyDescr> runs;
    for (int i = 0; i < sink.NextFree(); ++i)
        if (list[i].start != kNoPosition) runs.push_back(list[i]);
    return runs;
}

inline std::vector<std::string> scanAndDescribe(TColorRule& rule, std::string_view text) {
    return describe(text, scanWhole(rule, text));
}

} // namespace zef::testing
