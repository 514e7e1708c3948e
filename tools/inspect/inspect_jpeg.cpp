// inspect_jpeg.cpp - glasswake-inspect jpeg [--fast] [--out FILE.ppm] FILE
//
// Decodes one JPEG file with the game's decoder and prints
// {"error": code, "width": w, "height": h, "components": n, "lines": delivered};
// with --out the picture is written as binary PPM (grey as PGM).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "assets/jpeg/jpeg_decoder.h"
#include "inspect.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: glasswake-inspect jpeg [--fast] [--out FILE.ppm] FILE\n");
    return 2;
}

int inspectJpeg(int argc, char** argv)
{
    bool fast = false;
    const char* outPath = nullptr;
    const char* inPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fast") == 0)
            fast = true;
        else if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            outPath = argv[++i];
        else if (!inPath && argv[i][0] != '-')
            inPath = argv[i];
        else
            return usage();
    }
    if (!inPath)
        return usage();

    jpeg_decoder_file_stream stream;
    if (stream.open(inPath) != 0) {
        std::printf("{\"file\": %s, \"error\": \"cannot open\"}\n", jsonString(inPath).c_str());
        return 1;
    }
    auto decoder = std::make_unique<jpeg_decoder>(&stream, fast);
    const int width = decoder->width();
    const int height = decoder->height();
    const int components = decoder->components();
    std::vector<uint8_t> picture;
    int lines = 0;
    if (decoder->error_code() == 0 && decoder->start_decoding() == 0) {
        const int channels = components == 3 ? 3 : 1;
        const int bytesPerPixel = decoder->bytes_per_pixel();
        const uint8_t* line = nullptr;
        uint32_t length = 0;
        while (decoder->decode_line(&line, &length) == 0) {
            ++lines;
            for (int x = 0; x < width; ++x)
                picture.insert(picture.end(), line + x * bytesPerPixel, line + x * bytesPerPixel + channels);
        }
    }
    const int error = decoder->error_code();
    std::printf("{\"file\": %s, \"error\": %d, \"width\": %d, \"height\": %d, \"components\": %d, \"lines\": %d}\n",
                jsonString(inPath).c_str(), error, width, height, components, lines);
    const bool complete = error == 0 && lines == height && height > 0;
    if (outPath && complete) {
        std::FILE* out = std::fopen(outPath, "wb");
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", outPath);
            return 1;
        }
        std::fprintf(out, "P%d\n%d %d\n255\n", components == 3 ? 6 : 5, width, height);
        std::fwrite(picture.data(), 1, picture.size(), out);
        std::fclose(out);
    }
    return complete ? 0 : 1;
}

const InspectCommand registration("jpeg", "[--fast] [--out FILE.ppm] FILE", inspectJpeg);

}  // namespace
