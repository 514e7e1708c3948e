#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/file_bytes.h"
#include "platform/user_paths.h"

namespace {

std::string trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool parseNumber(const std::string& text, int low, int high, int& out)
{
    if (text.empty() || text.size() > 6)
        return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return false;
    out = value;
    return true;
}

bool parseFlag(const std::string& text, bool& out)
{
    if (text != "0" && text != "1")
        return false;
    out = text == "1";
    return true;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

std::string settingsFilePath()
{
    const std::string folder = configDirectory();
    return folder.empty() ? "" : folder + "settings.ini";
}

std::string formatSettings(const RememberedSettings& s)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s\nwidth=%d\nheight=%d\ndepth=%d\nwindowed=%d\nantialiased=%d\nforce-16-9=%d\nshow-fps=%d\n",
                  SETTINGS_MAGIC, s.width, s.height, s.depth, s.windowed ? 1 : 0, s.antialiased ? 1 : 0,
                  s.force169 ? 1 : 0, s.showFps ? 1 : 0);
    return text;
}

SettingsFileStatus parseSettings(const std::string& text, RememberedSettings& out, std::string& why)
{
    auto corrupt = [&why](const std::string& reason) {
        why = reason;
        return SettingsFileStatus::Corrupt;
    };
    if (text.find('\0') != std::string::npos)
        return corrupt("not a text file");
    size_t start = 0;
    const size_t firstEnd = text.find('\n');
    const std::string first = trimmed(text.substr(0, firstEnd));
    if (first != SETTINGS_MAGIC) {
        if (first.rfind("[glasswake-settings ", 0) == 0)
            return corrupt("unsupported version " + first);
        return corrupt("not a settings file");
    }
    start = firstEnd == std::string::npos ? text.size() : firstEnd + 1;

    RememberedSettings s;
    enum { WIDTH = 1, HEIGHT = 2, DEPTH = 4, WINDOWED = 8, ANTIALIASED = 16, FORCE = 32, ALL = 63 };
    int seen = 0;
    int lineNumber = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            return corrupt("line " + std::to_string(lineNumber) + " is not key=value");
        const std::string key = trimmed(line.substr(0, eq));
        const std::string value = trimmed(line.substr(eq + 1));
        bool ok = true;
        if (key == "width") {
            ok = parseNumber(value, 1, 16384, s.width);
            seen |= WIDTH;
        } else if (key == "height") {
            ok = parseNumber(value, 1, 16384, s.height);
            seen |= HEIGHT;
        } else if (key == "depth") {
            ok = parseNumber(value, 0, 64, s.depth);
            seen |= DEPTH;
        } else if (key == "windowed") {
            ok = parseFlag(value, s.windowed);
            seen |= WINDOWED;
        } else if (key == "antialiased") {
            ok = parseFlag(value, s.antialiased);
            seen |= ANTIALIASED;
        } else if (key == "force-16-9") {
            ok = parseFlag(value, s.force169);
            seen |= FORCE;
        } else if (key == "show-fps") {
            ok = parseFlag(value, s.showFps);
        }
        if (!ok)
            return corrupt("bad value for " + key + " on line " + std::to_string(lineNumber));
    }
    if (seen != ALL)
        return corrupt("a setting is missing");
    out = s;
    return SettingsFileStatus::Read;
}

SettingsFileStatus readSettingsFile(const std::string& path, RememberedSettings& out, std::string& why)
{
    const int fd = path.empty() ? -1 : openRegularFile(path.c_str());
    if (fd < 0) {
        if (path.empty() || errno == ENOENT || errno == ENOTDIR)
            return SettingsFileStatus::Missing;
        why = errno == EISDIR || errno == EINVAL ? "not a regular file" : std::strerror(errno);
        return SettingsFileStatus::Unreadable;
    }
    std::string text;
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = std::strerror(errno);
            close(fd);
            return SettingsFileStatus::Unreadable;
        }
        if (n == 0)
            break;
        text.append(buffer.data(), static_cast<size_t>(n));
        if (static_cast<long>(text.size()) > SETTINGS_FILE_MAX_BYTES) {
            close(fd);
            why = "too long for a settings file";
            return SettingsFileStatus::Corrupt;
        }
    }
    close(fd);
    return parseSettings(text, out, why);
}

bool writeSettingsFile(const std::string& path, const RememberedSettings& settings, std::string& why)
{
    if (path.empty()) {
        why = "no config folder (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    if (!makeDirectories(folderOf(path))) {
        why = std::string("cannot create the folder: ") + std::strerror(errno);
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    const std::string text = formatSettings(settings);
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<size_t>(n);
    }
    const bool complete = written == text.size() && fsync(fd) == 0;
    const int writeError = errno;
    if (close(fd) != 0 || !complete) {
        why = std::strerror(complete ? errno : writeError);
        unlink(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        why = std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
