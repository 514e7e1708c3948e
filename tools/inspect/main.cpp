#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "inspect.h"

namespace {

struct Entry {
    const char* kind;
    const char* usage;
    InspectFunction run;
};

std::vector<Entry>& commands()
{
    static std::vector<Entry> list;
    return list;
}

}  // namespace

InspectCommand::InspectCommand(const char* kind, const char* usage, InspectFunction run)
{
    commands().push_back({kind, usage, run});
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

int main(int argc, char** argv)
{
    if (argc >= 2) {
        for (const Entry& e : commands())
            if (std::strcmp(argv[1], e.kind) == 0)
                return e.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "usage:\n");
    for (const Entry& e : commands())
        std::fprintf(stderr, "  glasswake-inspect %s %s\n", e.kind, e.usage);
    return 2;
}
