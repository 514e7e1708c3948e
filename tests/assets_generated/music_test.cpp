// The music and cues decode with SDL2_mixer (as the game will play them) to
// their intended lengths, are audible, and the loop's ends are quiet enough
// not to click when it wraps.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "assets_generated/built_assets.h"

namespace {

class GeneratedMusic : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        Mix_Init(MIX_INIT_MP3);
        ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    }
    static void TearDownTestSuite()
    {
        Mix_CloseAudio();
        Mix_Quit();
        // Audio only: the GL tests' window lives on in the same process.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
};

struct Decoded {
    double seconds = 0;
    double rmsDb = -200;
    double edgePeak = 1;  // loudest of the first and last sample of each channel
    double wrapJump = 1;  // step from the last sample back to the first
};

Decoded decode(const std::string& name)
{
    Decoded d;
    Mix_Chunk* chunk = Mix_LoadWAV(builtAsset("music/" + name).c_str());
    EXPECT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
    if (!chunk)
        return d;
    const Sint16* samples = reinterpret_cast<const Sint16*>(chunk->abuf);
    const size_t count = chunk->alen / 2;
    d.seconds = static_cast<double>(count / 2) / 44100.0;
    double sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    d.rmsDb = 10.0 * std::log10(sum / count / (32768.0 * 32768.0) + 1e-20);
    d.edgePeak = 0;
    d.wrapJump = 0;
    for (size_t c = 0; c < 2 && count >= 2; ++c) {
        const double first = samples[c] / 32768.0, last = samples[count - 2 + c] / 32768.0;
        d.edgePeak = std::max({d.edgePeak, std::fabs(first), std::fabs(last)});
        d.wrapJump = std::max(d.wrapJump, std::fabs(last - first));
    }
    Mix_FreeChunk(chunk);
    return d;
}

}  // namespace

TEST_F(GeneratedMusic, TrackAndCuesHaveTheirLengthsAndAreAudible)
{
    const Decoded d = decode("Velmore - Tarnish.mp3");
    EXPECT_NEAR(d.seconds, 91.43, 0.15);
    EXPECT_GT(d.rmsDb, -20.0);
    EXPECT_LT(d.rmsDb, -6.0);
    // Played in a loop, the end runs into the start without a click.
    EXPECT_LT(d.edgePeak, 0.02);
    EXPECT_LT(d.wrapJump, 0.02);

    for (const auto& [file, seconds] : {std::pair{"1.mp3", 0.25}, {"2.mp3", 0.75}, {"3.mp3", 1.2}, {"4.mp3", 4.2}}) {
        const Decoded cue = decode(file);
        EXPECT_NEAR(cue.seconds, seconds, 0.1) << file;
        EXPECT_GT(cue.rmsDb, -30.0) << file;
    }
}
