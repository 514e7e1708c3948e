// exit_report.h - a one-line account of the run, for tests and tools.
//
// When the environment variable GLASSWAKE_EXIT_REPORT names a file, the game
// appends one JSON line to it as it ends (after the exit fade or when the
// window closes): the shell's clock, the game's clock and state, the time
// spent paused, the wall time since the first frame, the levels completed and
// lost, the volleys fired (each plays the volley cue once) and, after the exit fade, a hash of the last picture the game drew (so
// a replay's end can be compared with its run's). Without the
// variable nothing is written.
#pragma once

#include <string>

// The JSON line (no newline) for the run so far.
std::string exitReportLine();
// Appends exitReportLine() to $GLASSWAKE_EXIT_REPORT when it is set.
void writeExitReport();
// With the report asked for: hashes the window's back buffer as the game
// left it (called before the exit fade darkens the last frame).
void noteLastFramePixels();
