// inspect_sav.cpp - glasswake-inspect sav FILE: what the motion loader keeps.
//
// Prints the sample count, the first and last sample (position and both
// tracks after smoothing), the point count of each curve and whether each
// curve was built at full length (a track is smoothed only then).
#include <cmath>
#include <cstdio>
#include <string>

#include "assets/motion_path.h"
#include "inspect.h"

namespace {

// JSON has no NaN or infinity; a raw file may hold them.
std::string number(double v)
{
    if (!std::isfinite(v))
        return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

std::string sample(const MotionPath& path, size_t i)
{
    const Vec3& p = path.samples[i];
    return "{\"x\":" + number(p.x) + ",\"y\":" + number(p.y) + ",\"z\":" + number(p.z) + ",\"a\":" +
           number(path.trackA[i]) + ",\"b\":" + number(path.trackB[i]) + "}";
}

std::string curve(const Spline& s, size_t samples)
{
    const char* built = s.points.size() == samples && samples >= 4 ? "true" : "false";
    return "{\"points\":" + std::to_string(s.points.size()) + ",\"built\":" + built + "}";
}

int rejected(const std::string& file, const char* reason)
{
    std::printf("{\"file\":%s,\"error\":%s}\n", jsonString(file).c_str(), jsonString(reason).c_str());
    return 1;
}

int inspectSav(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: glasswake-inspect sav FILE\n");
        return 2;
    }
    const std::string file = argv[1];
    MotionPath path;
    if (path.loadMotion(file.c_str()) == 0)
        return rejected(file, "cannot open or read the file");
    const size_t n = path.samples.size();
    if (n == 0)
        return rejected(file, "no complete 28-byte record");

    bool allBuilt = n >= 4 && path.pathCurve.points.size() == n && path.trackACurve.points.size() == n &&
                    path.trackBCurve.points.size() == n;
    std::printf("{\"file\":%s,\"samples\":%zu,\"first\":%s,\"last\":%s,\"curves\":{\"path\":%s,\"trackA\":%s,"
                "\"trackB\":%s},\"curvesBuilt\":%s}\n",
                jsonString(file).c_str(), n, sample(path, 0).c_str(), sample(path, n - 1).c_str(),
                curve(path.pathCurve, n).c_str(), curve(path.trackACurve, n).c_str(),
                curve(path.trackBCurve, n).c_str(), allBuilt ? "true" : "false");
    return 0;
}

const InspectCommand command("sav", "FILE", inspectSav);

}  // namespace
