#include "messages.h"

#include "text.h"

namespace zef {

namespace {

// The texts and the names of the two catalogues, in their order.
#define ZEF_TEXT_OF(name, text) text,
#define ZEF_NAME_OF(name, text) #name,
constexpr std::string_view kTexts[] = {ZEF_MESSAGES(ZEF_TEXT_OF)};
constexpr std::string_view kNames[] = {ZEF_MESSAGES(ZEF_NAME_OF)};
constexpr std::string_view kReasonTexts[] = {ZEF_STOP_REASONS(ZEF_TEXT_OF)};
constexpr std::string_view kReasonNames[] = {ZEF_STOP_REASONS(ZEF_NAME_OF)};
#undef ZEF_TEXT_OF
#undef ZEF_NAME_OF

// Whether an 8-bit text is a catalogue text (UTF-8) with any argument in place of its "%1".
bool matchesText(std::string_view text, std::string_view text8bit) {
    const auto at = text.find("%1");
    if (at == std::string_view::npos) return utf8ToCp1252(std::string(text)) == text8bit;
    // The argument stands where "%1" stood: the texts before and after it must match.
    const std::string head = utf8ToCp1252(std::string(text.substr(0, at)));
    const std::string tail = utf8ToCp1252(std::string(text.substr(at + 2)));
    return text8bit.size() >= head.size() + tail.size() && text8bit.starts_with(head) && text8bit.ends_with(tail);
}

std::string withArgument(std::string_view text, std::string_view argument8bit) {
    std::string out = utf8ToCp1252(std::string(text));
    if (const auto at = out.find("%1"); at != std::string::npos) out.replace(at, 2, argument8bit);
    return out;
}

} // namespace

std::string_view messageName(Message message) { return kNames[static_cast<int>(message)]; }

std::optional<Message> messageOf(std::string_view text8bit) {
    for (int i = 0; i < kMessageCount; ++i)
        if (matchesText(kTexts[i], text8bit)) return static_cast<Message>(i);
    return std::nullopt;
}

std::string_view messageText(Message message) { return kTexts[static_cast<int>(message)]; }

std::string messageFor(Message message, std::string_view argument8bit) {
    return withArgument(messageText(message), argument8bit);
}

std::string_view stopReasonText(StopReason reason) { return kReasonTexts[static_cast<int>(reason)]; }

std::string stopReasonFor(StopReason reason, std::string_view argument8bit) {
    return withArgument(stopReasonText(reason), argument8bit);
}

std::string_view stopReasonName(StopReason reason) { return kReasonNames[static_cast<int>(reason)]; }

std::string stoppedBecause(std::string_view reason8bit) {
    std::string text = utf8ToCp1252(std::string(kStopPrefix));
    if (!reason8bit.empty()) text.append(" : ").append(reason8bit);
    return text;
}

std::optional<StopReason> stopReasonOf(std::string_view text8bit) {
    const std::string prefix = utf8ToCp1252(std::string(kStopPrefix)) + " : ";
    if (text8bit.starts_with(prefix)) text8bit.remove_prefix(prefix.size());
    for (int i = 0; i < kStopReasonCount; ++i)
        if (matchesText(kReasonTexts[i], text8bit)) return static_cast<StopReason>(i);
    return std::nullopt;
}

} // namespace zef
