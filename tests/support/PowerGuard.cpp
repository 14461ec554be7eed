// Linked into every test executable: from the first instruction of a test process on, the
// real power backend aborts instead of suspending, restarting or powering off the machine,
// in the test and in every process it starts, unless LUMBRA_POWER_LOG sends the actions to
// a file (CTest sets it for every test).

#include <cstdlib>

namespace {

struct PowerGuard
{
    PowerGuard() { ::setenv("LUMBRA_POWER_FORBIDDEN", "1", 1); }
};

const PowerGuard guard;

} // namespace
