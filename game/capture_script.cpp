// capture_script.cpp - parsing and the default steering of capture scripts.
#include "game/capture_script.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

CaptureInput CaptureScript::at(double t) const
{
    CaptureInput current;
    for (const CaptureInput& line : lines) {
        if (line.time > t && &line != &lines.front())
            break;
        current = line;
    }
    return current;
}

namespace {

bool parseFlag(const std::string& value, bool& out)
{
    if (value != "0" && value != "1")
        return false;
    out = value == "1";
    return true;
}

bool parseInt(const std::string& value, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || v < -100000 || v > 100000)
        return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

bool parseCaptureScript(const std::string& text, CaptureScript& script, std::string& error)
{
    script.lines.clear();
    std::istringstream in(text);
    std::string line;
    CaptureInput previous;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        std::istringstream words(line);
        std::string word;
        if (!(words >> word))
            continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        char* end = nullptr;
        CaptureInput input = previous;
        input.time = std::strtod(word.c_str(), &end);
        if (*end != '\0' || !std::isfinite(input.time) || input.time < 0.0) {
            error = where + "bad time '" + word + "'";
            return false;
        }
        if (!script.lines.empty() && input.time <= script.lines.back().time) {
            error = where + "times must increase";
            return false;
        }
        while (words >> word) {
            const size_t eq = word.find('=');
            const std::string key = word.substr(0, eq);
            const std::string value = eq == std::string::npos ? "" : word.substr(eq + 1);
            bool ok = false;
            if (key == "x")
                ok = parseInt(value, input.x);
            else if (key == "y")
                ok = parseInt(value, input.y);
            else if (key == "left")
                ok = parseFlag(value, input.left);
            else if (key == "right")
                ok = parseFlag(value, input.right);
            if (!ok) {
                error = where + "bad setting '" + word + "'";
                return false;
            }
        }
        script.lines.push_back(input);
        previous = input;
    }
    return true;
}

CaptureScript defaultCaptureScript()
{
    CaptureScript script;
    for (int i = 0; i <= 260 * 4; ++i) {
        CaptureInput c;
        c.time = 0.25 * i;
        c.x = static_cast<int>(std::lround(686.0 + 300.0 * std::sin(0.45 * c.time)));
        c.y = static_cast<int>(std::lround(300.0 + 150.0 * (1.0 - std::cos(0.23 * c.time))));
        c.left = true;
        c.right = true;
        script.lines.push_back(c);
    }
    return script;
}
