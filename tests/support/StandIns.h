#pragma once

#include "RecordingMessageBoxes.h"

#include <QStringList>

class TFTesselloreFirmWare;

// Everything a test puts in place of the program's dealings with the user and the world, in one
// place. While it lives, message boxes are recorded and answered from a queue (boxes) and web
// addresses are caught instead of opened (openedUrls). Echo requests never leave the loopback range
// in any test program: support/main/loopback_guard.cpp sets that before main.
class StandIns {
public:
    StandIns();
    ~StandIns();
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

    // The main window waits this long for a program it starts, instead of 150 seconds.
    static void limitProgramWait(TFTesselloreFirmWare& main, int milliseconds);

    RecordingMessageBoxes boxes;
    QStringList openedUrls;
};
