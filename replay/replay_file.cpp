// replay_file.cpp - a frame's record to and from the frame's inputs.
#include "replay/replay_file.h"

#include "replay/replay_layout.h"

using namespace replay_layout;

ReplayFrame replayFrameFromInputs(double delta, const FrameInputs& inputs, bool fadeStarts)
{
    ReplayFrame f;
    f.delta = delta;
    f.mouseX = inputs.mouseX;
    f.mouseY = inputs.mouseY;
    f.wheel = inputs.wheel;
    f.leftButton = inputs.leftButton != 0;
    f.rightButton = inputs.rightButton != 0;
    f.fadeStarts = fadeStarts;
    for (int code = 0; code < 256; ++code)
        if (inputs.keyStates[code] != 0)
            flipKey(f.keys, code);
    return f;
}

ReplayFrame replayPausedRecord(double delta, bool fadeStarts)
{
    ReplayFrame f;
    f.delta = delta;
    f.fadeStarts = fadeStarts;
    f.paused = true;
    return f;
}

void applyReplayFrame(const ReplayFrame& f, FrameInputs& inputs)
{
    inputs.mouseX = f.mouseX;
    inputs.mouseY = f.mouseY;
    inputs.wheel = f.wheel;
    inputs.leftButton = f.leftButton ? 1 : 0;
    inputs.rightButton = f.rightButton ? 1 : 0;
    for (int code = 0; code < 256; ++code)
        inputs.keyStates[code] = keyDown(f.keys, code) ? 1 : 0;
}
