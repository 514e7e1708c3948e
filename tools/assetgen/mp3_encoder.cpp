#include "mp3_encoder.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

extern char** environ;

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

int16_t toPcm(float v)
{
    return static_cast<int16_t>(std::lround(std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0));
}

}  // namespace

bool writeWav(const std::string& path, const StereoBuffer& buffer)
{
    const uint32_t dataBytes = static_cast<uint32_t>(buffer.frames()) * 4;
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    putU32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putU32(out, 16);
    putU16(out, 1);  // PCM
    putU16(out, 2);
    putU32(out, kSampleRate);
    putU32(out, kSampleRate * 4);
    putU16(out, 4);
    putU16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    putU32(out, dataBytes);
    for (int i = 0; i < buffer.frames(); ++i) {
        putU16(out, static_cast<uint16_t>(toPcm(buffer.left[static_cast<size_t>(i)])));
        putU16(out, static_cast<uint16_t>(toPcm(buffer.right[static_cast<size_t>(i)])));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && ok;
}

bool encodeMp3(const StereoBuffer& buffer, const std::string& mp3Path, int kbps)
{
    const std::string wavPath = mp3Path + ".tmp.wav";
    if (!writeWav(wavPath, buffer))
        return false;
    const std::string rate = std::to_string(kbps);
    // Constant bit rate, no replay-gain scan: quick, and the same input gives the same bytes.
    const char* argv[] = {"lame", "--quiet", "--cbr", "-b", rate.c_str(), "-q", "5", "--noreplaygain",
                          wavPath.c_str(), mp3Path.c_str(), nullptr};
    pid_t pid = 0;
    int status = -1;
    const bool started = posix_spawnp(&pid, "lame", nullptr, nullptr, const_cast<char**>(argv), environ) == 0;
    if (started)
        waitpid(pid, &status, 0);
    std::remove(wavPath.c_str());
    if (!started)
        std::fprintf(stderr, "assetgen: could not run lame (install Debian's lame package)\n");
    return started && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
