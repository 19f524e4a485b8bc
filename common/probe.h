// Lets end-to-end tests see what a running program shows: when KUVO_TEST_PROBE
// names a file, the program rewrites it a few times a second with its visible
// windows and their named, visible controls.
#pragma once

namespace kuvo {

void installTestProbe();

}  // namespace kuvo
