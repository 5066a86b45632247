#include "program/profile_location.h"

#include "link/port_map.h"
#include "profile/profile_file.h"

namespace zz::program {

std::string profilePathFor(const PortRequest &request, const link::SerialControl &control) {
    // A device is named by the path chosen (a bare stable name after it was
    // found), so a stable name keeps its profile across replugging.
    const std::string name = request.device ? profile::deviceProfileName(control.devicePath())
                                            : profile::portProfileName(control.port());
    return profile::profilePath(link::programConfigDirectory(), name);
}

}  // namespace zz::program
