// soak_player.cpp - what the soak runs measure about themselves.
#include "soak_player.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

long residentKiB()
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kib = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kib = std::atol(line + 6);
    std::fclose(f);
    return kib;
}
