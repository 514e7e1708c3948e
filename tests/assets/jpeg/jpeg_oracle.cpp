// jpeg_oracle.cpp - libjpeg-turbo encode and decode in memory for the tests.
#include "assets/jpeg/jpeg_oracle.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

namespace {

struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void onError(j_common_ptr info)
{
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}

void onMessage(j_common_ptr, int) {}

}  // namespace

TestPicture makeTestPicture(int width, int height, int components, uint32_t seed)
{
    TestPicture p;
    p.width = width;
    p.height = height;
    p.components = components;
    p.pixels.resize(static_cast<size_t>(width) * height * components);
    uint32_t state = seed * 2654435761u + 12345u;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < components; ++c) {
                state = state * 1103515245u + 12345u;
                const int noise = static_cast<int>((state >> 16) & 31) - 16;
                int value = (x * 255) / (width > 1 ? width - 1 : 1) * (c + 1) / 3 + (y * 97) / (height + 1);
                if (((x / 5) + (y / 7) + c) % 3 == 0)
                    value = 255 - value;  // edges
                value += noise;
                p.pixels[(static_cast<size_t>(y) * width + x) * components + c] =
                    static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
            }
        }
    }
    return p;
}

std::vector<uint8_t> encodeWithLibjpeg(const TestPicture& picture, const EncodeOptions& options)
{
    jpeg_compress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onError;
    trap.manager.emit_message = onMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = picture.components;
    info.in_color_space = picture.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, options.quality, options.forceBaseline ? TRUE : FALSE);
    if (options.storedAsRgb && picture.components == 3)
        jpeg_set_colorspace(&info, JCS_RGB);
    if (picture.components == 3) {
        info.comp_info[0].h_samp_factor = options.lumaH;
        info.comp_info[0].v_samp_factor = options.lumaV;
        info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
        info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
    }
    info.restart_interval = options.restartInterval;
    info.optimize_coding = options.optimizeCoding ? TRUE : FALSE;
    info.dct_method = JDCT_ISLOW;
    if (options.progressive)
        jpeg_simple_progression(&info);
    jpeg_scan_info scans[3];
    if (options.separateScans && picture.components == 3) {
        for (int c = 0; c < 3; ++c)
            scans[c] = {1, {c, 0, 0, 0}, 0, 63, 0, 0};
        info.scan_info = scans;
        info.num_scans = 3;
    }
    jpeg_start_compress(&info, TRUE);
    const int stride = picture.width * picture.components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&picture.pixels[static_cast<size_t>(info.next_scanline) * stride]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

DecodedPicture decodeWithLibjpeg(const std::vector<uint8_t>& file)
{
    DecodedPicture out;
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onError;
    trap.manager.emit_message = onMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&info);
        return DecodedPicture{};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.do_block_smoothing = FALSE;
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = info.output_width;
    out.height = info.output_height;
    out.components = info.output_components;
    const size_t stride = static_cast<size_t>(out.width) * out.components;
    out.pixels.resize(stride * out.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.pixels[info.output_scanline * stride];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.ok = true;
    return out;
}

std::vector<uint8_t> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string testDataDir()
{
    const char* fromEnvironment = std::getenv("GW_TESTDATA_DIR");
    return fromEnvironment && *fromEnvironment ? fromEnvironment : GW_TESTDATA_DIR;
}
