// The web page's messages: any bytes a browser (or anything posing as one)
// can send over the WebSocket, and the JSON text built for the pages.

#include "fuzz_check.h"
#include "web/json_text.h"
#include "web/page_message.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (const auto intent = zz::web::parsePageMessage(text)) {
        using Kind = zz::web::Intent::Kind;
        const bool digit = intent->kind == Kind::Up || intent->kind == Kind::Down;
        FUZZ_CHECK(!digit || (intent->number >= 1 && intent->number <= 6));
        FUZZ_CHECK(intent->kind != Kind::Preset || (intent->number >= 1 && intent->number <= 7));
        FUZZ_CHECK(intent->text.size() <= 64);
        FUZZ_CHECK(intent->kind != Kind::TrueMode || text == "true on" || text == "true off");
    }
    const std::string json = zz::web::jsonString(text);
    FUZZ_CHECK(json.size() >= 2 && json.front() == '"' && json.back() == '"');
    for (const char c : json) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);  // all escaped
    return 0;
}
