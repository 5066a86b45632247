#include "ports_report.h"

#include "link/sysfs_text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace zz::ctl {
namespace {

std::string numbers(const std::vector<int> &ports, const char *separator) {
    std::string text;
    for (int n : ports) text += (text.empty() ? "" : separator) + std::to_string(n);
    return text;
}

std::string usbId(const link::PresentPort &port) {
    if (!port.vendorId || !port.productId) return {};
    return link::sysfs::usbIdText(*port.vendorId, *port.productId);
}

// A by-id or by-path link reads best by its own name.
std::string shortName(const std::string &link) {
    const auto slash = link.rfind('/');
    return slash == std::string::npos ? link : link.substr(slash + 1);
}

std::string state(const link::PresentPort &port) {
    std::string text;
    if (port.busy) text = port.holder.empty() ? "busy" : "busy: " + port.holder;
    if (!port.mayOpen) text += (text.empty() ? "" : "; ") + port.accessProblem;
    return text.empty() ? "free" : text;
}

// Columns line up by characters, not bytes (descriptions may hold any UTF-8).
std::size_t width(const std::string &text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string jsonStringOrNull(const std::string &text) {
    return text.empty() ? "null" : jsonString(text);
}

}  // namespace

std::string portsTable(const std::vector<link::PresentPort> &ports) {
    if (ports.empty()) return "no serial ports present\n";
    using Row = std::array<std::string, 7>;
    std::vector<Row> rows{
        Row{"PORT", "DEVICE", "STABLE NAME", "DESCRIPTION", "VID:PID", "SERIAL", "STATE"}};
    for (const auto &port : ports)
        rows.push_back(Row{port.ports.empty() ? "-" : numbers(port.ports, ","), port.device,
                           port.stableName.empty() ? "-" : shortName(port.stableName),
                           port.description, usbId(port).empty() ? "-" : usbId(port),
                           port.serial.empty() ? "-" : port.serial, state(port)});
    std::array<std::size_t, 7> widths{};
    for (const Row &row : rows)
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], width(row[i]));
    std::string text;
    for (const Row &row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - width(row[i]) + 2, ' ');
        }
        text += line + "\n";
    }
    return text;
}

std::string portsJson(const std::vector<link::PresentPort> &ports) {
    std::string text = "[";
    for (const auto &port : ports) {
        std::string names;
        for (const auto &name : port.stableNames)
            names += (names.empty() ? "" : ", ") + jsonString(name);
        const std::string id = usbId(port);
        text += std::string(text.size() > 1 ? "," : "") + "\n  {\"ports\": [" +
                numbers(port.ports, ", ") + "], \"device\": " + jsonString(port.device) +
                ", \"stable_name\": " + jsonStringOrNull(port.stableName) +
                ", \"stable_names\": [" + names +
                "], \"description\": " + jsonString(port.description) +
                ", \"manufacturer\": " + jsonStringOrNull(port.manufacturer) +
                ", \"kind\": " + jsonString(port.kind) + ", \"vid_pid\": " + jsonStringOrNull(id) +
                ", \"serial\": " + jsonStringOrNull(port.serial) +
                ", \"may_open\": " + (port.mayOpen ? "true" : "false") +
                ", \"access_problem\": " + jsonStringOrNull(port.accessProblem) +
                ", \"busy\": " + (port.busy ? "true" : "false") +
                ", \"holder\": " + jsonStringOrNull(port.holder) + "}";
    }
    return text + (ports.empty() ? "]\n" : "\n]\n");
}

std::string jsonString(const std::string &text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;  // UTF-8 passes as it is; the scan's texts are valid UTF-8
        }
    }
    return out + "\"";
}

}  // namespace zz::ctl
