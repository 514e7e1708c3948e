#include "platform/user_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

// The variable when it holds an absolute path (relative ones are invalid and
// ignored, as the XDG base directory rules ask), else under HOME.
static std::string baseDirectory(const char* variable, const char* homeRelative)
{
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return std::string(value) + "/glasswake/";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/" + homeRelative + "/glasswake/";
    return "";
}

std::string configDirectory() { return baseDirectory("XDG_CONFIG_HOME", ".config"); }
std::string stateDirectory() { return baseDirectory("XDG_STATE_HOME", ".local/state"); }

bool makeDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
