#pragma once

#include "Foundation/DegradedReporter.h"

// GLib's shared session-bus connection, which the secret store and the calendar store use, ends the process
// with SIGTERM when the bus goes away. Takes that connection first, turns that off and records the loss as
// a degraded feature instead, so the application keeps running with what needs no bus. Call it once, on the
// GUI thread, after the GLib types are registered; the connection is held for the rest of the process.
void keepRunningWithoutSessionBus(DegradedReporter reportDegraded);
