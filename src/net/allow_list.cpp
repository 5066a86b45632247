#include "net/allow_list.h"

#include <algorithm>
#include <charconv>

namespace zz::net {

namespace asio = boost::asio;

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

asio::ip::address plain(const asio::ip::address &address) {
    if (address.is_v6() && address.to_v6().is_v4_mapped())
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6());
    return address;
}

// The address's bytes with all but the first `bits` cleared.
template <typename Bytes>
Bytes masked(Bytes bytes, int bits) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int keep = std::clamp(bits - int(i) * 8, 0, 8);
        bytes[i] &= static_cast<unsigned char>(0xFF00u >> keep);
    }
    return bytes;
}

asio::ip::address maskedAddress(const asio::ip::address &address, int bits) {
    if (address.is_v4()) return asio::ip::address_v4(masked(address.to_v4().to_bytes(), bits));
    return asio::ip::address_v6(masked(address.to_v6().to_bytes(), bits));
}

}  // namespace

Outcome<AllowList> AllowList::parse(std::string_view text) {
    AllowList list;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view item = trimmed(
            text.substr(start, comma == std::string_view::npos ? text.npos : comma - start));
        const std::string shown(item);
        if (item.empty())
            return Outcome<AllowList>::failure("--allow: an empty item in \"" + std::string(text) +
                                               "\"");
        const std::size_t slash = item.find('/');
        boost::system::error_code error;
        const auto address =
            plain(asio::ip::make_address(std::string(item.substr(0, slash)), error));
        if (error)
            return Outcome<AllowList>::failure("--allow: \"" + shown +
                                               "\" is not an address or ADDRESS/BITS");
        const int most = address.is_v4() ? 32 : 128;
        int bits = most;
        if (slash != std::string_view::npos) {
            const std::string_view digits = item.substr(slash + 1);
            const auto [end, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), bits);
            if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() ||
                bits < 0 || bits > most)
                return Outcome<AllowList>::failure("--allow: \"" + shown +
                                                   "\": the prefix takes 0 to " +
                                                   std::to_string(most) + " bits");
        }
        list.networks_.push_back({maskedAddress(address, bits), bits});
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return list;
}

AllowList AllowList::loopbackOnly() {
    AllowList list;
    list.networks_ = {{asio::ip::make_address("127.0.0.0"), 8},
                      {asio::ip::address_v6::loopback(), 128}};
    return list;
}

AllowList AllowList::everyone() {
    AllowList list;
    list.everyone_ = true;
    return list;
}

bool AllowList::allows(const asio::ip::address &peer) const {
    if (everyone_) return true;
    const auto address = plain(peer);
    for (const Network &network : networks_)
        if (network.address.is_v4() == address.is_v4() &&
            maskedAddress(address, network.bits) == network.address)
            return true;
    return false;
}

std::string AllowList::text() const {
    if (everyone_) return "everyone";
    std::string text;
    for (const Network &network : networks_) {
        if (!text.empty()) text += ",";
        text += network.address.to_string() + "/" + std::to_string(network.bits);
    }
    return text;
}

}  // namespace zz::net
