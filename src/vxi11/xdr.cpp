#include "vxi11/xdr.h"

namespace zz::vxi11 {

namespace {

// In 64 bits, so that a length near 2^32 cannot wrap around a check.
constexpr std::uint64_t padded(std::uint64_t length) {
    return (length + 3) & ~std::uint64_t{3};
}

}  // namespace

std::uint32_t XdrReader::u32() {
    if (!ok_ || bytes_.size() - at_ < 4) {
        ok_ = false;
        return 0;
    }
    const std::uint8_t *p = bytes_.data() + at_;
    at_ += 4;
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

bool XdrReader::boolean() {
    const std::uint32_t value = u32();
    if (value > 1) ok_ = false;
    return ok_ && value == 1;
}

std::span<const std::uint8_t> XdrReader::opaque(std::uint32_t maxLength) {
    const std::uint32_t length = u32();
    if (!ok_ || length > maxLength || padded(length) > bytes_.size() - at_) {
        ok_ = false;
        return {};
    }
    const auto data = bytes_.subspan(at_, length);
    at_ += padded(length);
    return data;
}

std::string_view XdrReader::string(std::uint32_t maxLength) {
    const auto data = opaque(maxLength);
    return {reinterpret_cast<const char *>(data.data()), data.size()};
}

void XdrWriter::u32(std::uint32_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value >> 24));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 16));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes_.push_back(static_cast<std::uint8_t>(value));
}

void XdrWriter::opaque(std::span<const std::uint8_t> data) {
    u32(static_cast<std::uint32_t>(data.size()));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    bytes_.resize(bytes_.size() + (padded(data.size()) - data.size()), 0);
}

void XdrWriter::string(std::string_view text) {
    opaque({reinterpret_cast<const std::uint8_t *>(text.data()), text.size()});
}

}  // namespace zz::vxi11
