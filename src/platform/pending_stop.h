#pragma once

namespace zelkon {

// Whether SIGINT or SIGTERM has come while held back for this thread. The
// signal stays pending, for the event loop's signal descriptor to take later.
bool stop_signal_pending();

}  // namespace zelkon
