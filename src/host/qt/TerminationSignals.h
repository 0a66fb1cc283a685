#pragma once

namespace tw {

// Ends the event loop on SIGINT, SIGTERM and SIGHUP instead of dying on the spot, so that the
// windows unregister from the link and the program's exit steps run.
void QuitOnTerminationSignals();

} // namespace tw
