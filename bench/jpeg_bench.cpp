// jpeg_bench.cpp - the game's JPEG decoder (fast and accurate paths) against
// libjpeg-turbo, in one process.
//
//   glasswake-bench-jpeg [--rounds N] [FILE.jpg | FOLDER ...]
//
// The photographs (by default those of Debian's ukui-wallpapers package in
// /usr/share/backgrounds, see scripts/install-bench-deps.sh) are transcoded
// with libjpeg-turbo to 4:2:0 q90, 4:2:2 q90, 4:4:4 q95 and progressive 4:2:0
// q90. Each round decodes every file with the five decoders in turn: ours
// (fast and accurate paths, whole pictures through decode_picture, and the
// accurate path line by line through decode_line with a copy of each line, for
// information), TurboJPEG's whole-picture decode (the reference) and
// libjpeg-turbo one scan line at a time (for information). All of them
// produce the same layout (4 bytes per pixel, RGBX) with the same choices
// (integer IDCT, chroma by replication). Each decoder runs on this thread and
// is timed by the thread's processor time, and a file's time is its best
// round, so that other work on the machine counts as little as it can. The
// last line is "summary: fast=R1 accurate=R2 worst=R3": R1 and R2 the
// throughput ratios of our two paths (whole pictures) against the reference
// on the 4:2:0 baseline set, R3 the lowest accurate-path ratio over all sets.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <turbojpeg.h>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_oracle.h"  // tests/: libjpeg-turbo as the tests use it

namespace {

using Bytes = std::vector<uint8_t>;

// Processor time of this thread, in seconds.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1); }

// Each decoder writes the whole picture as RGBX into `out`.
bool decodeLibjpeg(const Bytes& file, Bytes& out)
{
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onError;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBX;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 4;
    out.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out[info.output_scanline * stride];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// The reference: TurboJPEG's whole-picture decode into the caller's buffer.
bool decodeTurbo(tjhandle handle, const Bytes& file, Bytes& out)
{
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle, file.data(), static_cast<unsigned long>(file.size()), &width, &height,
                            &subsampling, &colorspace) != 0)
        return false;
    out.resize(size_t(width) * height * 4);
    return tjDecompress2(handle, file.data(), static_cast<unsigned long>(file.size()), out.data(), width,
                         width * 4, height, TJPF_RGBX, TJFLAG_FASTUPSAMPLE) == 0;
}

bool decodeOurs(const Bytes& file, bool fast, bool byLines, Bytes& out)
{
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    jpeg_decoder decoder(&stream, fast);
    if (decoder.error_code() != 0 || decoder.start_decoding() != 0)
        return false;
    const size_t stride = size_t(decoder.bytes_per_scan_line());
    out.resize(stride * decoder.height());
    if (!byLines)
        return decoder.decode_picture(out.data(), stride) == 0;
    const uint8_t* line = nullptr;
    uint32_t length = 0;
    for (int y = 0; y < decoder.height(); ++y) {
        if (decoder.decode_line(&line, &length) != 0)
            return false;
        std::memcpy(&out[y * stride], line, length);
    }
    return true;
}

enum Decoder { FAST, ACCURATE, LINES, TURBO, SCANLINE, DECODERS };
const char* const kDecoderNames[DECODERS] = {"fast", "accurate", "accurate by lines", "TurboJPEG",
                                             "libjpeg scanlines"};

struct Set {
    const char* name;
    int quality, lumaH, lumaV;
    bool progressive;
    std::vector<Bytes> files;
    double pixels = 0;
    std::vector<double> best[DECODERS] = {};  // per file, seconds of its best round
    int maxError[DECODERS] = {};         // largest difference from the reference per channel

    double megapixelsPerSecond(int decoder) const
    {
        double seconds = 0;
        for (double s : best[decoder])
            seconds += s;
        return pixels / 1e6 / seconds;
    }
};

std::vector<std::string> findPhotos(const std::vector<std::string>& args)
{
    std::vector<std::string> paths;
    auto add = [&](const std::filesystem::path& p) {
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::directory_iterator(p))
                if (e.path().extension() == ".jpg")
                    paths.push_back(e.path().string());
        } else if (std::filesystem::exists(p)) {
            paths.push_back(p.string());
        }
    };
    if (args.empty())
        add("/usr/share/backgrounds");
    for (const std::string& a : args)
        add(a);
    std::sort(paths.begin(), paths.end());
    return paths;
}

}  // namespace

int main(int argc, char** argv)
{
    int rounds = 3;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            args.push_back(argv[i]);
    }
    const std::vector<std::string> photos = findPhotos(args);
    if (photos.empty()) {
        std::fprintf(stderr, "no photographs found (install ukui-wallpapers: scripts/install-bench-deps.sh)\n");
        return 1;
    }

    Set sets[] = {
        {"4:2:0 q90", 90, 2, 2, false, {}},
        {"4:2:2 q90", 90, 2, 1, false, {}},
        {"4:4:4 q95", 95, 1, 1, false, {}},
        {"progressive 4:2:0 q90", 90, 2, 2, true, {}},
    };
    std::printf("transcoding %zu photographs...\n", photos.size());
    for (const std::string& path : photos) {
        std::ifstream in(path, std::ios::binary);
        const Bytes original((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const DecodedPicture decoded = decodeWithLibjpeg(original);
        if (!decoded.ok) {
            std::fprintf(stderr, "skipping %s\n", path.c_str());
            continue;
        }
        const TestPicture picture{decoded.width, decoded.height, decoded.components, decoded.pixels};
        std::printf("  %s: %d x %d\n", path.c_str(), picture.width, picture.height);
        for (Set& s : sets) {
            EncodeOptions options;
            options.quality = s.quality;
            options.lumaH = s.lumaH;
            options.lumaV = s.lumaV;
            options.progressive = s.progressive;
            s.files.push_back(encodeWithLibjpeg(picture, options));
            s.pixels += double(picture.width) * picture.height;
        }
    }

    tjhandle turbo = tjInitDecompress();
    if (!turbo) {
        std::fprintf(stderr, "TurboJPEG: %s\n", tjGetErrorStr2(nullptr));
        return 1;
    }
    auto decode = [&](int decoder, const Bytes& file, Bytes& out) {
        switch (decoder) {
        case FAST: return decodeOurs(file, true, false, out);
        case ACCURATE: return decodeOurs(file, false, false, out);
        case LINES: return decodeOurs(file, false, true, out);
        case TURBO: return decodeTurbo(turbo, file, out);
        default: return decodeLibjpeg(file, out);
        }
    };

    // Agreement with the reference first (largest difference per channel).
    Bytes output, reference;
    for (Set& s : sets) {
        for (const Bytes& file : s.files) {
            if (!decodeTurbo(turbo, file, reference)) {
                std::fprintf(stderr, "TurboJPEG failed in set %s: %s\n", s.name, tjGetErrorStr2(turbo));
                return 1;
            }
            for (int decoder = 0; decoder < DECODERS; ++decoder) {
                if (!decode(decoder, file, output) || output.size() != reference.size()) {
                    std::fprintf(stderr, "%s failed in set %s\n", kDecoderNames[decoder], s.name);
                    return 1;
                }
                for (size_t i = 0; i < output.size(); ++i)
                    if (i % 4 != 3)  // the fourth byte: 0 from ours, 255 from libjpeg-turbo
                        s.maxError[decoder] =
                            std::max(s.maxError[decoder], std::abs(int(output[i]) - int(reference[i])));
            }
            for (std::vector<double>& times : s.best)
                times.push_back(1e30);
        }
    }

    for (int round = 0; round < rounds; ++round) {
        for (Set& s : sets) {
            for (size_t f = 0; f < s.files.size(); ++f) {
                // Rotate the order so no decoder always runs on a cold cache.
                for (int k = 0; k < DECODERS; ++k) {
                    const int decoder = (k + round) % DECODERS;
                    const double start = threadSeconds();
                    decode(decoder, s.files[f], output);
                    const double seconds = threadSeconds() - start;
                    s.best[decoder][f] = std::min(s.best[decoder][f], seconds);
                }
            }
        }
    }
    tjDestroy(turbo);

    std::printf("\nMP/s of each file's best round out of %d; ratios against TurboJPEG's whole-picture decode;\n"
                "lines: our accurate path line by line; max diff: largest difference per channel from the\n"
                "reference (fast/accurate/lines/scanlines)\n", rounds);
    std::printf("%-22s %8s %8s %8s %9s %9s %7s %8s %7s %7s %9s\n", "set", "fast", "accurate", "lines", "TurboJPEG",
                "scanlines", "fast/t", "accur./t", "lines/t", "scan./t", "max diff");
    double summaryFast = 0, summaryAccurate = 0, worst = 1e30;
    for (const Set& s : sets) {
        double rate[DECODERS];
        for (int decoder = 0; decoder < DECODERS; ++decoder)
            rate[decoder] = s.megapixelsPerSecond(decoder);
        std::printf("%-22s %8.1f %8.1f %8.1f %9.1f %9.1f %7.2f %8.2f %7.2f %7.2f %3d/%d/%d/%d\n", s.name, rate[FAST],
                    rate[ACCURATE], rate[LINES], rate[TURBO], rate[SCANLINE], rate[FAST] / rate[TURBO],
                    rate[ACCURATE] / rate[TURBO], rate[LINES] / rate[TURBO], rate[SCANLINE] / rate[TURBO],
                    s.maxError[FAST], s.maxError[ACCURATE], s.maxError[LINES], s.maxError[SCANLINE]);
        if (&s == &sets[0]) {
            summaryFast = rate[FAST] / rate[TURBO];
            summaryAccurate = rate[ACCURATE] / rate[TURBO];
        }
        worst = std::min(worst, rate[ACCURATE] / rate[TURBO]);
    }
    std::printf("summary: fast=%.2f accurate=%.2f worst=%.2f\n", summaryFast, summaryAccurate, worst);
    return 0;
}
