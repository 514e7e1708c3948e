// capture_script.h - scripted input for rendering the game without a player.
//
// A script is text, one line per change of input, held until the next line:
//
//   # comment
//   TIME x=X y=Y left=0|1 right=0|1
//
// TIME is game seconds (the clock the game runs on, 1.1 times the frame
// clock); X, Y are the cursor in the shell's 800x600-centred screen pixels
// (400, 300 is the middle; the lane runs from x=400 to x=971); keys left out
// keep the previous line's value. Lines must come in increasing time.
#pragma once

#include <string>
#include <vector>

struct CaptureInput {
    double time = 0.0;
    int x = 400;
    int y = 300;
    bool left = false;
    bool right = false;
};

struct CaptureScript {
    std::vector<CaptureInput> lines;

    // The input in force at game time t (the first line's before it starts).
    CaptureInput at(double t) const;
};

// Returns false and says why (with the line number) for a malformed script.
bool parseCaptureScript(const std::string& text, CaptureScript& script, std::string& error);
// Steers back and forth across the course and pulls back now and then, both
// buttons held, for 260 s: the whole level is seen and never lost.
CaptureScript defaultCaptureScript();
