// settings_fuzz.cpp - libFuzzer target for the remembered-settings reader.
//
// Whatever it accepts must be within the ranges the game can use, and must
// come back unchanged through the writer's text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    RememberedSettings read;
    std::string why;
    if (parseSettings(text, read, why) != SettingsFileStatus::Read) {
        if (why.empty())
            __builtin_trap();
        return 0;
    }
    if (read.width < 1 || read.width > 16384 || read.height < 1 || read.height > 16384 || read.depth < 0 ||
        read.depth > 64)
        __builtin_trap();
    RememberedSettings again;
    if (parseSettings(formatSettings(read), again, why) != SettingsFileStatus::Read || !(again == read))
        __builtin_trap();
    return 0;
}
