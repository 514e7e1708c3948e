// replay_fuzz.cpp - libFuzzer target for the replay reader.
//
// Every input is read twice: as it is, and with the hashes ignored, so the
// parsing behind them is reached too. Each read must stay within the
// reader's stated allocation budget (8 * N + 64 KiB for N bytes, counted
// through the sanitizer's allocation hooks). A file read whole or in part
// (its header complete) must encode back to one that reads the same, byte
// for byte where the hashes were checked and the file is of the current
// format (an older one is written anew in the current format). (The rules' side of the value
// limits is a unit test: they are too slow to run for every input here.)
#include <sanitizer/allocator_interface.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "replay/replay_file.h"

namespace {

size_t g_live = 0;
size_t g_peak = 0;
bool g_counting = false;

void onMalloc(const volatile void*, size_t size)
{
    if (!g_counting)
        return;
    g_live += size;
    g_peak = g_live > g_peak ? g_live : g_peak;
}

void onFree(const volatile void* p)
{
    if (!g_counting || !p)
        return;
    const size_t size = __sanitizer_get_allocated_size(p);
    g_live = g_live >= size ? g_live - size : 0;
}

ReplayReadResult countedRead(const uint8_t* data, size_t size, Replay& out, ReplayReadOptions options)
{
    g_live = g_peak = 0;
    g_counting = true;
    ReplayReadResult r = readReplay(data, size, out, options);
    g_counting = false;
    if (g_peak > REPLAY_BUDGET_PER_BYTE * size + REPLAY_BUDGET_FIXED)
        __builtin_trap();
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (bool hashes : {true, false}) {
        Replay replay;
        ReplayReadOptions options;
        options.checkHashes = hashes;
        const ReplayReadResult r = countedRead(data, size, replay, options);
        if (r.ok() != r.error.empty() || r.ok() != replay.complete)
            __builtin_trap();
        const bool headerRead = !replay.header.gameVersion.empty();
        if (!(r.ok() || (r.status == ReplayStatus::Incomplete && headerRead)))
            continue;

        const std::vector<uint8_t> again = encodeReplay(replay);
        const bool current = replay.header.formatVersion == REPLAY_FORMAT_VERSION;
        if (hashes && r.ok() && current && again != std::vector<uint8_t>(data, data + size))
            __builtin_trap();
        Replay reread;
        const ReplayReadResult r2 = readReplay(again.data(), again.size(), reread);
        if (r2.status != r.status || encodeReplay(reread) != again)
            __builtin_trap();

    }
    return 0;
}
