#include "FakeClock.h"
#include "InMemoryPreferences.h"
