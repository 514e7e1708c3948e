// inspect.h - glasswake-inspect: each file reader of the game, run on one file,
// printing what it read as one line of JSON.
//
//   glasswake-inspect KIND [OPTIONS] FILE
//
// Each KIND lives in its own inspect_KIND.cpp and registers itself with a
// static InspectCommand. Exit status: 0 when the file was read, 1 when it was
// rejected (the JSON then says why), 2 on a usage error.
#pragma once

#include <string>

using InspectFunction = int (*)(int argc, char** argv);  // argv[0] is the KIND

struct InspectCommand {
    InspectCommand(const char* kind, const char* usage, InspectFunction run);
};

// JSON string literal with the needed escapes.
std::string jsonString(const std::string& text);
