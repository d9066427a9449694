#include "tests/support/Sim.h"
