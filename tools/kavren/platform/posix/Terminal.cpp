#include "kavren/Terminal.h"

#include <unistd.h>

namespace kavren {

bool errorsGoToTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

} // namespace kavren
