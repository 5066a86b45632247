#include "link/sysfs_text.h"

#include <charconv>

namespace zz::link::sysfs {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t utf8Length(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    char32_t min;
    char32_t cp;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not text.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return length;
}

bool isControl(std::string_view character) {
    const auto c = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) return c < 0x20 || c == 0x7F;
    // C1 controls: U+0080..U+009F.
    return character.size() == 2 && c == 0xC2 && static_cast<unsigned char>(character[1]) < 0xA0;
}

}  // namespace

std::string attributeText(std::string_view raw) {
    if (raw.size() > kMaxAttributeBytes) raw = raw.substr(0, kMaxAttributeBytes);
    while (!raw.empty() && (raw.back() == '\n' || raw.back() == ' ' || raw.back() == '\0'))
        raw.remove_suffix(1);
    std::string text;
    std::size_t characters = 0;
    while (!raw.empty() && characters < kMaxTextCharacters) {
        const std::size_t length = utf8Length(raw);
        const std::string_view character = raw.substr(0, length ? length : 1);
        text += length == 0 || isControl(character) ? kReplacement : character;
        raw.remove_prefix(character.size());
        ++characters;
    }
    // A cut may leave spaces at the end: drop them as for the whole text.
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::optional<std::uint16_t> hexId(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);  // the one newline sysfs writes
    if (text.empty() || text.size() > 4) return std::nullopt;
    std::uint16_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<unsigned long> number(std::string_view text) {
    if (text.ends_with('\n')) text.remove_suffix(1);  // the one newline sysfs writes
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::string usbIdText(std::uint16_t vendor, std::uint16_t product) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(9, ':');
    for (int i = 0; i < 4; ++i) {
        text[static_cast<std::size_t>(3 - i)] = kDigits[(vendor >> (4 * i)) & 0xF];
        text[static_cast<std::size_t>(8 - i)] = kDigits[(product >> (4 * i)) & 0xF];
    }
    return text;
}

}  // namespace zz::link::sysfs
