#pragma once

#include <ostream>

namespace kavren {

/**
 * `kavren support`: writes the report the plug-in writes from its System window to the desktop, with this
 * tool as the host, and prints where it went. Throws std::runtime_error when it could not be written.
 */
int runSupport(std::ostream& out);

} // namespace kavren
