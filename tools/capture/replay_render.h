// replay_render.h - a recorded run played again, picture by picture, in a
// hidden window: the pictures the game showed.
//
// The window is set up as the game sets up its own (setUpRenderer), and every
// record plays as the pass that recorded it (replayPlaybackPass): frames of
// the game, the pause with its held picture and "Paused", the exit fade. At
// the recorded sizes the pictures are the game's own, pixel for pixel; at
// another size the window and the picture take that size, while the rules
// still scale the mouse by the recorded window, so the run stays the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "replay/replay_file.h"
#include "tools/common/hidden_gl_window.h"

struct ReplayRender {
    HiddenGLWindow window;
    int32_t width = 0;  // the picture
    int32_t height = 0;

    // Reads nothing: `replay` was read and checked. width and height 0: the
    // recorded sizes. False, with the reason, when no window can be had.
    bool open(const Replay& replay, int32_t pictureWidth, int32_t pictureHeight, std::string& error);
    // Plays the next record, drawn or with the rules alone; false when none is left.
    bool playNext(bool draw);
    // Records played so far.
    size_t played() const;
    // The picture the last drawn record left: RGBA, bottom row first.
    std::vector<uint8_t> picture() const;
};
