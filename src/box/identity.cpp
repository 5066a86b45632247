#include "box/identity.h"

#include "common/version.h"

namespace zz::box {

Identity identity() {
    return {common::kCompany, "6175", "0", common::kVersion};
}

}  // namespace zz::box
