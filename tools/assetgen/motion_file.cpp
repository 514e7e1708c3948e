#include "motion_file.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "random_source.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A sum of slow sines, each a whole number of cycles over the recording, so
// that replaying it in a loop has no jump; phases and weights are random.
struct Wobble {
    struct Term {
        int cycles;
        double amplitude, phase;
    };
    std::vector<Term> terms;

    Wobble(RandomSource& rng, double amplitude, int lowest, int highest)
    {
        for (int cycles = lowest; cycles <= highest; cycles += 1 + rng.below(3)) {
            const double weight = amplitude * rng.range(0.4, 1.0) / std::sqrt(static_cast<double>(cycles));
            terms.push_back({cycles, weight, rng.range(0.0, 2 * kPi)});
        }
    }

    double at(double t) const  // t in [0, 1): position in the recording
    {
        double sum = 0.0;
        for (const Term& term : terms)
            sum += term.amplitude * std::sin(2 * kPi * term.cycles * t + term.phase);
        return sum;
    }
};

void put(std::vector<uint8_t>& out, const void* value, size_t size)
{
    // Records are little-endian; so is every machine the generator runs on.
    const uint8_t* p = static_cast<const uint8_t*>(value);
    out.insert(out.end(), p, p + size);
}

}  // namespace

bool writeMotionFile(const std::string& outputDir)
{
    RandomSource rng(0x5A7E);
    const Wobble x(rng, 1.6, 4, 120), y(rng, 1.2, 5, 140), z(rng, 0.5, 3, 60);
    const Wobble a(rng, 0.03, 6, 160), b(rng, 0.4, 2, 30);
    const int count = kMotionSamplesPerSecond * kMotionSeconds;

    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count) * 28);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / count;
        const float px = static_cast<float>(x.at(t)), py = static_cast<float>(y.at(t)), pz = static_cast<float>(z.at(t));
        const double va = a.at(t), vb = b.at(t);
        put(bytes, &px, 4);
        put(bytes, &py, 4);
        put(bytes, &pz, 4);
        put(bytes, &va, 8);
        put(bytes, &vb, 8);
    }
    FILE* file = std::fopen((outputDir + "/meshes/try1.sav").c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
