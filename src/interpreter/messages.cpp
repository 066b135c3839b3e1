#include "messages.h"

#include "text.h"

namespace zef {

namespace {

constexpr std::string_view kTexts[] = {
#define ZEF_MESSAGE_TEXT(name, text) text,
    ZEF_MESSAGES(ZEF_MESSAGE_TEXT)
#undef ZEF_MESSAGE_TEXT
};

constexpr std::string_view kNames[] = {
#define ZEF_MESSAGE_NAME_TEXT(name, text) #name,
    ZEF_MESSAGES(ZEF_MESSAGE_NAME_TEXT)
#undef ZEF_MESSAGE_NAME_TEXT
};

} // namespace

std::string_view messageName(Message message) { return kNames[static_cast<int>(message)]; }

std::optional<Message> messageOf(std::string_view text8bit) {
    for (int i = 0; i < kMessageCount; ++i) {
        const auto message = static_cast<Message>(i);
        const std::string_view text = messageText(message);
        const auto at = text.find("%1");
        if (at == std::string_view::npos) {
            if (messageFor(message) == text8bit) return message;
            continue;
        }
        // The argument stands where "%1" stood: the texts before and after it must match.
        const std::string head = utf8ToCp1252(std::string(text.substr(0, at)));
        const std::string tail = utf8ToCp1252(std::string(text.substr(at + 2)));
        if (text8bit.size() >= head.size() + tail.size() && text8bit.starts_with(head) &&
            text8bit.ends_with(tail))
            return message;
    }
    return std::nullopt;
}

std::string_view messageText(Message message) { return kTexts[static_cast<int>(message)]; }

std::string messageFor(Message message, std::string_view argument8bit) {
    std::string text = utf8ToCp1252(std::string(messageText(message)));
    if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, argument8bit);
    return text;
}

} // namespace zef
