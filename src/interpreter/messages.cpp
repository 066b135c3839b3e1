#include "messages.h"

#include "text.h"

namespace zef {

namespace {

constexpr std::string_view kTexts[] = {
#define ZEF_MESSAGE_TEXT(name, text) text,
    ZEF_MESSAGES(ZEF_MESSAGE_TEXT)
#undef ZEF_MESSAGE_TEXT
};

} // namespace

std::string_view messageText(Message message) { return kTexts[static_cast<int>(message)]; }

std::string messageFor(Message message, std::string_view argument8bit) {
    std::string text = utf8ToCp1252(std::string(messageText(message)));
    if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, argument8bit);
    return text;
}

} // namespace zef
