#include "kavren/Terminal.h"

#include <cstdio>
#include <io.h>

namespace kavren {

bool errorsGoToTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

} // namespace kavren
