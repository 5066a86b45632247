#include "frame_check.h"

#include "box/range.h"

#include <cstdio>
#include <cstdlib>

namespace zz::sim {

namespace {

// The instrument takes digits with at most one point and at most one decimal.
bool plainDecimal(std::string_view s) {
    if (s.empty()) return false;
    const auto point = s.find('.');
    const std::string_view whole = s.substr(0, point);
    if (whole.empty() || whole.find_first_not_of("0123456789") != whole.npos) return false;
    if (point == s.npos) return true;
    const std::string_view frac = s.substr(point + 1);
    return frac.size() == 1 && frac.find_first_not_of("0123456789") == frac.npos;
}

}  // namespace

Frame checkFrame(std::string raw) {
    Frame f;
    f.raw = std::move(raw);
    std::string_view text(f.raw);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    else
        f.problems.push_back("no carriage return");
    if (text.find('\n') != text.npos) f.problems.push_back("line feed in frame");
    if (!plainDecimal(text)) {
        f.problems.push_back("not a decimal number");
        return f;
    }
    const double ohms = std::strtod(std::string(text).c_str(), nullptr);
    if (ohms > box::kMaxOhms) {
        f.problems.push_back("out of range " + box::limitText(box::kMinOhms) + ".." +
                             box::limitText(box::kMaxOhms));
        return f;
    }
    if (f.problems.empty()) f.ohms = ohms;
    return f;
}

std::vector<Frame> FrameSplitter::feed(std::string_view bytes) {
    std::vector<Frame> frames;
    for (char c : bytes) {
        pending_ += c;
        if (c == '\r') {
            frames.push_back(checkFrame(std::move(pending_)));
            pending_.clear();
        }
    }
    return frames;
}

std::optional<Frame> FrameSplitter::flush() {
    if (pending_.empty()) return std::nullopt;
    Frame f = checkFrame(std::move(pending_));
    pending_.clear();
    return f;
}

std::vector<std::string> lineSettingProblems(const termios &t) {
    std::vector<std::string> p;
    if (cfgetospeed(&t) != B9600 || cfgetispeed(&t) != B9600) p.push_back("speed is not 9600 baud");
    if ((t.c_cflag & CSIZE) != CS8) p.push_back("not 8 data bits");
    if (t.c_cflag & PARENB) p.push_back("parity enabled");
    if (t.c_cflag & CSTOPB) p.push_back("2 stop bits");
    if (t.c_cflag & CRTSCTS) p.push_back("RTS/CTS flow control");
    if (t.c_iflag & (IXON | IXOFF)) p.push_back("XON/XOFF flow control");
    if (t.c_oflag & OPOST) p.push_back("output post-processing on");
    return p;
}

std::string escapeBytes(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace zz::sim
