// replay_render.cpp - see replay_render.h.
#include "tools/capture/replay_render.h"

#include "base/crt_random.h"
#include "render/renderer.h"
#include "settings/display_settings.h"
#include "shell/frame_loop.h"
#include "shell/replay_session.h"
#include "shell/window.h"

bool ReplayRender::open(const Replay& replay, int32_t pictureWidth, int32_t pictureHeight, std::string& error)
{
    const ReplaySettings& s = replay.header.settings;
    const bool recorded = pictureWidth <= 0 || pictureHeight <= 0;
    width = recorded ? s.renderWidth : pictureWidth;
    height = recorded ? s.renderHeight : pictureHeight;
    const int32_t surfaceWidth = recorded ? s.windowWidth : width;
    const int32_t surfaceHeight = recorded ? s.windowHeight : height;
    if (!window.open("glasswake-capture", surfaceWidth, surfaceHeight)) {
        error = "no GL window";
        return false;
    }
    startReplayPlayback(replay, false);
    applyReplaySettings();
    renderWidth = width;
    renderHeight = height;
    // The generator as the game's process has it at start: the loader and the
    // noise textures draw from it before the level is laid out.
    crtSeed(1);
    if (!setUpRenderer(surfaceWidth, surfaceHeight)) {
        error = "cannot set up the renderer";
        return false;
    }
    return true;
}

bool ReplayRender::playNext(bool draw)
{
    if (!replayHasFrame())
        return false;
    replayPlaybackPass(draw);
    return true;
}

size_t ReplayRender::played() const { return replayRecordsPlayed(); }

std::vector<uint8_t> ReplayRender::picture() const { return readWindowPicture(width, height); }
