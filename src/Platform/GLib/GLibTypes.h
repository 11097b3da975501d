#pragma once

// Registers, on the calling thread, the GLib object types that the secret store and the calendar store use
// from GLib's worker threads. GLib 2.74 can deadlock when one thread registers a D-Bus proxy type while a
// worker initialises a class derived from it, so the application calls this first thing, before any of those
// libraries starts a thread.
void registerGLibTypes();
