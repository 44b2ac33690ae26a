#include "cli/Hooks.h"

#include "cli/Cli.h"

namespace ogx {

StartupHooks headlessStartupHooks(Cli &)
{
    StartupHooks hooks;
    return hooks;
}

} // namespace ogx
