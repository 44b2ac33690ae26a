#pragma once
// The start-up hooks of a headless run: the data steps without windows.

#include "app/Startup.h"

namespace ogx {

class Cli;

StartupHooks headlessStartupHooks(Cli &cli);

} // namespace ogx
