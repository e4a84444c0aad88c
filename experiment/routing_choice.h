// The routings a lab run may ask for, by the names the command line and the records use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "session/session.h"

namespace experiment {

// "console" (the console's own search, the default) or "k-shortest".
std::string routingName(session::Routing routing);

// None for a name that is neither.
std::optional<session::Routing> routingFromName(std::string_view name);

}  // namespace experiment
