#include "FakeClock.h"
#include "FakeSecretStore.h"
#include "InMemoryPreferences.h"
