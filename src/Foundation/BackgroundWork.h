#pragma once

class QThreadPool;

// The threads for the services' blocking work (child processes, file reads, slow peers). Never Qt's global
// pool: the raster paint engine splits tall fills across that pool and waits for them while it draws, so work
// waiting there would stall frames, and the software renderer keeps that pool at one thread.
QThreadPool& backgroundWork();
