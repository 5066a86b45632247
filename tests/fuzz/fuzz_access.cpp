// Who may connect, as read from outside: an --allow list, and a request's
// Cookie header and target searched for the page's token.

#include "fuzz_check.h"
#include "net/allow_list.h"
#include "web/page_token.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    if (const auto list = zz::net::AllowList::parse(text); list.ok()) {
        // What it prints, it reads back as the same list.
        const auto again = zz::net::AllowList::parse(list.value().text());
        FUZZ_CHECK(again.ok() && again.value().text() == list.value().text());
        (void)list.value().allows(boost::asio::ip::make_address_v4("10.0.0.5"));
    }
    for (const auto found :
         {zz::web::cookieValue(text, "token_8080"), zz::web::queryValue(text, "token")})
        if (found)
            FUZZ_CHECK(found->data() >= text.data() &&
                       found->data() + found->size() <= text.data() + text.size());
    FUZZ_CHECK(!zz::web::sameToken(text, ""));
    FUZZ_CHECK(text.empty() || zz::web::sameToken(text, text));
    return 0;
}
