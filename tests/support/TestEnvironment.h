#pragma once

namespace tw::test {

// Gives the test process an environment of its own, whoever started it (./test.sh, ctest, the
// program alone, an IDE): message boxes answered on standard error, headless Qt, and the
// configuration, application-data, runtime and host-link folders in a private folder that is
// removed at exit. Programs a test starts inherit it. Call first thing in main.
void IsolateTestProcess();

} // namespace tw::test
