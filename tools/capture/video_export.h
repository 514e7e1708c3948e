// video_export.h - a replay turned into a video file with its sound.
//
//   glasswake-capture --replay FILE --video OUT.mp4|OUT.webm [--size WxH] [--fps N]
//
// The rules run at the recorded frame deltas, so the run is the recorded one;
// the video's frame i shows the game as the last recorded frame at or before
// i / fps left it (frames no video frame shows run without drawing). The
// pictures are rendered off screen at the video's size. The sound track is
// the game's own: its sound calls during the run, logged with their times and
// mixed offline (shell/sound_offline.h) into a scratch WAV file first (about
// 10 MB a minute of play), from a pass of the rules alone; the drawn pass
// must make the same calls. Debian's ffmpeg encodes: H.264 with AAC in .mp4,
// VP9 with Opus in .webm; it is this tool's dependency only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/replay_file.h"

struct VideoExportOptions {
    std::string replayPath;
    std::string outPath;
    int width = 1280;
    int height = 720;
    int fps = 60;
};

// True when the arguments ask for a video export (--replay or --video).
bool wantsVideoExport(int argc, char** argv);
// False with the reason for a usage error.
bool parseVideoExportOptions(int argc, char** argv, VideoExportOptions& options, std::string& error);
// Exit status: 0 written, 1 refused input or a failed encoding.
int exportReplayVideo(const VideoExportOptions& options);

// How many video frames show each recorded frame, for `fps` frames a second
// over the replay's length (the sum of its deltas, rounded to whole video
// frames, at least one).
std::vector<uint32_t> videoFramesPerRecordedFrame(const Replay& replay, int fps, uint64_t& videoFrames);
// ffmpeg's arguments after its inputs for the container OUT names ("" extension: none).
std::vector<std::string> encoderArguments(const std::string& outPath);
