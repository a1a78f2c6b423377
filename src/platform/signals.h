// Requests from outside to stop: Ctrl+C (SIGINT), a kill (SIGTERM) and a
// closed terminal (SIGHUP) all reach the program the same way, so a running
// calculation stops cleanly and removes its temporary files whichever came.
#pragma once

#include <functional>

namespace zem {

// From now on each of the three signals calls OnStop with the signal's
// number. The call runs on a thread of its own, not inside the signal
// handler, so OnStop may lock, allocate or post to another thread. A later
// call replaces the function.
void OnStopSignals(std::function<void(int)> onStop);

}  // namespace zem
