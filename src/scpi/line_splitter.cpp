#include "scpi/line_splitter.h"

namespace zz::scpi {

std::vector<InputLine> LineSplitter::feed(std::string_view bytes) {
    std::vector<InputLine> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, lf);
        if (!discarding_) {
            // One byte more than the bound leaves room for the CR of CR LF.
            if (partial_.size() + piece.size() > kMaxLine + 1) {
                partial_.clear();
                discarding_ = true;
                lines.push_back({{}, true});
            } else {
                partial_.append(piece);
            }
        }
        if (lf == std::string_view::npos) break;
        bytes.remove_prefix(lf + 1);
        if (discarding_) {
            discarding_ = false;
            continue;
        }
        if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
        if (partial_.size() > kMaxLine) {
            lines.push_back({{}, true});
        } else {
            lines.push_back({std::move(partial_), false});
        }
        partial_.clear();
    }
    return lines;
}

}  // namespace zz::scpi
