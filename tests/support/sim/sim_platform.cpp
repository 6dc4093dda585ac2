#include "tests/support/sim/sim_platform.h"

namespace vontal {

SimPlatform::SimPlatform()
    : bluetooth(clock, clock), platform_{bluetooth, clock,  clock,      workspace,
                                         defaults,  alerts, diagnostics} {}

} // namespace vontal
