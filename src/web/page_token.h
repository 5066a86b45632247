#pragma once
// The page's token beyond the loopback: the server prints its address with
// a random token once at start (http://host:8080/?token=...); a request that
// brings it gets it back as a cookie, and every later request and the
// WebSocket must carry that cookie. These are the plain parts: making a
// token, and finding one in a request's target and Cookie header.

#include <optional>
#include <string>
#include <string_view>

namespace zz::web {

// 32 hex digits from the system's random source.
std::string newPageToken();

// The cookie's name: one per port, so that two servers on one host (whose
// cookies a browser does not tell apart by port) do not put out each other's.
std::string tokenCookieName(unsigned port);

// The value of `name` in a Cookie header ("a=1; token_8080=ab12"), if there.
std::optional<std::string_view> cookieValue(std::string_view header, std::string_view name);

// The value of the query parameter `name` in a request target
// ("/?token=ab12&x=1"), taken as it stands (a token needs no decoding).
std::optional<std::string_view> queryValue(std::string_view target, std::string_view name);

// Equal, in a time that does not tell how much of `given` was right.
bool sameToken(std::string_view given, std::string_view token);

}  // namespace zz::web
