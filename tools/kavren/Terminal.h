#pragma once

namespace kavren {

// True when standard error is a terminal: progress then rewrites one line there.
bool errorsGoToTerminal();

} // namespace kavren
