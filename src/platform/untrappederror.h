// Where a run-time error that no routine traps ends up: a message with its number and description, then the
// end of the program.
#pragma once

#include "common/vberror.h"

class PlatformServices;

namespace VbErrors {

// The exit status of a program ended by an untrapped error.
constexpr int UntrappedExitStatus = 1;

// Shows the error's number and description, then ends the program with UntrappedExitStatus.
void reportUntrapped(PlatformServices& platform, const VbError& error);

// Runs an event handler; an error it lets through is reported and ends the program.
template <typename Handler> void runHandler(PlatformServices& platform, Handler&& handler)
{
    try {
        handler();
    } catch (const VbError& error) {
        reportUntrapped(platform, error);
    }
}

} // namespace VbErrors
