#include "winui/control_ids.h"

namespace zz::winui {

int controlId(std::span<const layout::Element> table, const layout::Element &element) {
    return kFirstControlId + int(&element - table.data());
}

const layout::Element *elementOfId(std::span<const layout::Element> table, int id) {
    const int row = id - kFirstControlId;
    if (row < 0 || row >= int(table.size())) return nullptr;
    return &table[std::size_t(row)];
}

}  // namespace zz::winui
