#include "endrecord.h"

#include <charconv>

namespace zef {

std::string formatEndRecord(const EndRecord& record) {
    std::string message = record.message;
    for (char& c : message)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return std::to_string(record.status) + "\t" + std::to_string(record.line) + "\t" + message + "\n";
}

std::optional<EndRecord> parseEndRecord(std::string_view text) {
    if (text.empty() || text.back() != '\n') return std::nullopt;
    text.remove_suffix(1);
    if (text.find('\n') != std::string_view::npos) return std::nullopt;
    EndRecord record;
    auto number = [&](int& out) {
        const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), out);
        if (error != std::errc() || at == text.data() + text.size() || *at != '\t') return false;
        text.remove_prefix(static_cast<std::size_t>(at - text.data()) + 1);
        return true;
    };
    if (!number(record.status) || !number(record.line)) return std::nullopt;
    record.message = std::string(text);
    return record;
}

} // namespace zef
