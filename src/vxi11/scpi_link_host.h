#pragma once
// The former name of ScpiSessionHost, for the server until it includes
// scpi_session_host.h; then this header goes.

#include "vxi11/scpi_session_host.h"

namespace zz::vxi11 {

using ScpiLinkHost = ScpiSessionHost;

}  // namespace zz::vxi11
