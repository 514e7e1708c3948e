// The JPEG decoder against libjpeg-turbo: pictures encoded in memory, the
// shared test files, damaged input and every refusal code.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_oracle.h"
#include "assets/jpeg/jpeg_test_util.h"

namespace {

struct Sampling {
    int h, v;
};
const Sampling kSamplings[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};

// Decodes with both decoders; the accurate path must match within 1 per channel.
void expectMatchesOracle(const std::vector<uint8_t>& file, const std::string& what)
{
    SCOPED_TRACE(what);
    const DecodedPicture reference = decodeWithLibjpeg(file);
    ASSERT_TRUE(reference.ok);
    const OurDecode ours = decodeWithOurs(file);
    ASSERT_EQ(ours.errorCode, 0);
    EXPECT_EQ(ours.width, reference.width);
    EXPECT_EQ(ours.height, reference.height);
    EXPECT_EQ(ours.linesDelivered, reference.height);
    EXPECT_EQ(ours.lastLineResult, 1);
    EXPECT_TRUE(ours.fourthByteAlwaysZero);
    EXPECT_TRUE(ours.lineLengthsRight);
    EXPECT_TRUE(ours.pictureAgrees);
    EXPECT_LE(compare(ours.pixels, reference.pixels).maxError, 1);

    // The fast path: within 3 per channel, 45 dB or better.
    const OurDecode fast = decodeWithOurs(file, true);
    ASSERT_EQ(fast.errorCode, 0);
    EXPECT_EQ(fast.linesDelivered, reference.height);
    EXPECT_TRUE(fast.pictureAgrees);
    const Difference d = compare(fast.pixels, reference.pixels);
    EXPECT_LE(d.maxError, 3);
    EXPECT_GE(d.psnr, 45.0);
}

std::vector<uint8_t> encode(int w, int h, int components, EncodeOptions options = {}, uint32_t seed = 1)
{
    return encodeWithLibjpeg(makeTestPicture(w, h, components, seed), options);
}

int countMarkers(const std::vector<uint8_t>& file, uint8_t marker)
{
    int count = 0;
    for (size_t i = 0; i + 1 < file.size(); ++i)
        count += file[i] == 0xFF && file[i + 1] == marker;
    return count;
}

struct Variant {
    std::string what;
    int w, h, components;
    EncodeOptions o;
};

// Every encoder variant the decoder takes, each with every sampling where
// sampling matters: sizes past the largest MCU (16 x 16) by one, qualities,
// 16-bit tables, progressive, one scan per component and restart intervals.
std::vector<Variant> encoderVariants()
{
    std::vector<Variant> v;
    const auto sampled = [](EncodeOptions o, const Sampling& s) {
        o.lumaH = s.h;
        o.lumaV = s.v;
        return o;
    };
    for (int w = 1; w <= 17; ++w)
        for (int h = 1; h <= 17; ++h) {
            const std::string size = std::to_string(w) + "x" + std::to_string(h);
            v.push_back({"420 " + size, w, h, 3, {}});
            if (std::abs(w - h) > 1)
                continue;
            for (const Sampling& s : kSamplings)
                v.push_back({"sampling " + std::to_string(s.h) + std::to_string(s.v) + " " + size, w, h, 3,
                             sampled({}, s)});
            v.push_back({"grey " + size, w, h, 1, {}});
        }
    for (int quality : {5, 50, 100}) {
        EncodeOptions o;
        o.quality = quality;
        v.push_back({"q" + std::to_string(quality), 300, 171, 3, o});
        v.push_back({"grey q" + std::to_string(quality), 300, 171, 1, o});
    }
    EncodeOptions sixteen;
    sixteen.quality = 2;
    sixteen.forceBaseline = false;
    v.push_back({"16-bit tables", 64, 48, 3, sixteen});
    v.push_back({"16-bit tables, grey", 37, 23, 1, sixteen});
    for (const Sampling& s : kSamplings) {
        EncodeOptions o = sampled({}, s);
        o.progressive = true;
        v.push_back({"progressive", 300, 171, 3, o});
        v.push_back({"progressive small", 17, 9, 3, o});
        o.quality = 98;
        o.restartInterval = 3;
        v.push_back({"progressive with restarts", 61, 45, 3, o});
        EncodeOptions separate = sampled({}, s);
        separate.separateScans = true;
        separate.restartInterval = s.h == 2 ? 4 : 0;
        v.push_back({"separate scans", 45, 29, 3, separate});
    }
    EncodeOptions grey;
    grey.progressive = true;
    v.push_back({"progressive grey", 300, 171, 1, grey});
    grey.optimizeCoding = true;
    v.push_back({"progressive grey, optimized tables", 33, 31, 1, grey});
    EncodeOptions restarts;
    restarts.restartInterval = 1;  // past RST7 the markers wrap to RST0
    v.push_back({"restart interval 1", 200, 40, 3, restarts});
    restarts.restartInterval = 5;
    restarts.lumaH = 1;
    v.push_back({"restart interval 5", 123, 77, 3, restarts});
    v.push_back({"restart interval 5, grey", 123, 77, 1, restarts});
    return v;
}

}  // namespace

TEST(JpegDecoder, EveryEncoderVariantMatchesLibjpeg)
{
    const std::vector<Variant> all = encoderVariants();
    for (const Variant& v : all)
        expectMatchesOracle(encode(v.w, v.h, v.components, v.o, v.w * 40 + v.h), v.what);

    // The variants are what they claim to be.
    const auto bytesOf = [&](const char* what) {
        const auto v = std::find_if(all.begin(), all.end(), [&](const Variant& x) { return x.what == what; });
        return encode(v->w, v->h, v->components, v->o, v->w * 40 + v->h);
    };
    JpegSegments sixteen(bytesOf("16-bit tables"));
    EXPECT_EQ(sixteen.find(0xDB)->payload[0] >> 4, 1) << "expected a 16-bit table";
    EXPECT_NE(sixteen.find(0xC1), nullptr) << "expected an extended sequential frame";
    EXPECT_EQ(countMarkers(bytesOf("separate scans"), 0xDA), 3);
    EXPECT_GT(countMarkers(bytesOf("restart interval 1"), 0xD0), 1) << "expected the restart markers to wrap";
}

TEST(JpegDecoder, ColourSpaceFromTheMarkers)
{
    // Stored as RGB, libjpeg writes an Adobe marker with transform 0 and no
    // JFIF marker: the samples are the colours, whatever the sampling or scans.
    for (const Sampling& s : kSamplings) {
        for (bool progressive : {false, true}) {
            EncodeOptions o;
            o.storedAsRgb = true;
            o.lumaH = s.h;
            o.lumaV = s.v;
            o.progressive = progressive;
            const std::vector<uint8_t> file = encode(45, 29, 3, o);
            JpegSegments segments(file);
            ASSERT_NE(segments.find(0xEE), nullptr);
            ASSERT_EQ(segments.find(0xEE)->payload[11], 0) << "expected transform 0";
            ASSERT_EQ(segments.find(0xE0), nullptr);
            expectMatchesOracle(file, "RGB, sampling " + std::to_string(s.h) + std::to_string(s.v) +
                                          (progressive ? ", progressive" : ""));
        }
    }
    // The marker edited: transform 1 (YCbCr), and a JFIF marker beside transform 0.
    EncodeOptions o;
    o.storedAsRgb = true;
    const std::vector<uint8_t> rgb = encode(40, 24, 3, o);
    JpegSegments ycc(rgb);
    ycc.find(0xEE)->payload[11] = 1;
    expectMatchesOracle(ycc.bytes(), "Adobe transform 1");
    JpegSegments both(rgb);
    both.segments.insert(both.segments.begin(), {0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}});
    expectMatchesOracle(both.bytes(), "JFIF and Adobe transform 0");
    // The two readings differ, so the comparisons above tell them apart.
    EXPECT_GT(compare(decodeWithOurs(rgb).pixels, decodeWithOurs(ycc.bytes()).pixels).maxError, 50);
    // One component: the marker changes nothing.
    JpegSegments grey(encode(16, 16, 1));
    grey.segments.insert(grey.segments.begin(), {0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0}});
    expectMatchesOracle(grey.bytes(), "grey with an Adobe marker");
}

TEST(JpegDecoder, RestartOutOfSequenceIsRefused)
{
    EncodeOptions o;
    o.restartInterval = 1;
    std::vector<uint8_t> file = encode(64, 16, 3, o);
    int seen = 0;
    for (size_t i = 0; i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xD1 && ++seen == 1) {
            file[i + 1] = 0xD2;  // RST0 followed by RST2
            break;
        }
    }
    ASSERT_EQ(seen, 1);
    const OurDecode ours = decodeWithOurs(file);
    EXPECT_EQ(ours.startResult, 0);
    EXPECT_EQ(ours.lastLineResult, JPEG_DECODE_ERROR);
    EXPECT_EQ(ours.errorCode, JPEG_BAD_RESTART_MARKER);
    EXPECT_LT(ours.linesDelivered, 16);
    EXPECT_TRUE(ours.pictureAgrees);
}

TEST(JpegDecoder, TruncatedEntropyDataStillGivesEveryLine)
{
    for (bool progressive : {false, true}) {
        for (int restarts : {0, 2}) {
            EncodeOptions o;
            o.progressive = progressive;
            o.restartInterval = restarts;
            const std::vector<uint8_t> full = encode(120, 90, 3, o);
            const std::vector<uint8_t> cut(full.begin(), full.begin() + full.size() * 2 / 3);
            const OurDecode ours = decodeWithOurs(cut);
            EXPECT_EQ(ours.errorCode, 0) << progressive << " " << restarts;
            EXPECT_EQ(ours.linesDelivered, 90);
            EXPECT_EQ(ours.lastLineResult, 1);
            EXPECT_TRUE(ours.pictureAgrees);
            // The undamaged top agrees with the complete file.
            const DecodedPicture reference = decodeWithLibjpeg(full);
            const std::vector<uint8_t> top(reference.pixels.begin(), reference.pixels.begin() + 120 * 3 * 8);
            if (!progressive) {
                const std::vector<uint8_t> ourTop(ours.pixels.begin(), ours.pixels.begin() + top.size());
                EXPECT_LE(compare(ourTop, top).maxError, 1);
            }
        }
    }
}

TEST(JpegDecoder, LeadingGarbageUpTo511Bytes)
{
    const std::vector<uint8_t> file = encode(20, 20, 3);
    for (size_t garbage : {1u, 100u, 510u, 511u, 512u, 600u}) {
        std::vector<uint8_t> padded(garbage, 0x5A);
        padded.insert(padded.end(), file.begin(), file.end());
        const OurDecode ours = decodeWithOurs(padded);
        if (garbage <= 511) {
            EXPECT_EQ(ours.errorCode, 0) << garbage;
            EXPECT_EQ(ours.linesDelivered, 20);
        } else {
            EXPECT_EQ(ours.constructError, JPEG_NOT_JPEG) << garbage;
        }
    }
    EXPECT_EQ(decodeWithOurs({}).constructError, JPEG_NOT_JPEG);
    EXPECT_EQ(decodeWithOurs({0xFF, 0xD8, 0x00}).constructError, JPEG_NOT_JPEG);
}

TEST(JpegDecoder, LineLayout)
{
    const std::vector<uint8_t> file = encode(17, 9, 3);
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    jpeg_decoder decoder(&stream, false);
    const uint8_t* line = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(decoder.decode_line(&line, &length), -1) << "not started";
    EXPECT_EQ(decoder.bytes_per_pixel(), 4);
    EXPECT_EQ(decoder.bytes_per_scan_line(), 68);
    ASSERT_EQ(decoder.start_decoding(), 0);
    EXPECT_EQ(decoder.start_decoding(), 0) << "starting twice is harmless";
    EXPECT_FALSE(decoder.buffered) << "a sequential file is decoded one MCU row at a time";
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(decoder.decode_line(&line, &length), 0);
        EXPECT_EQ(length, 68u);
    }
    EXPECT_EQ(decoder.decode_line(&line, &length), 1);
    EXPECT_EQ(decoder.decode_line(&line, &length), 1);
}

TEST(JpegDecoder, WholePictureAfterSomeLines)
{
    // An odd number of lines first leaves the second line of a chroma row made and not yet delivered.
    for (const Sampling& s : kSamplings) {
        EncodeOptions o;
        o.lumaH = s.h;
        o.lumaV = s.v;
        const std::vector<uint8_t> file = encode(37, 35, 3, o);
        const OurDecode all = decodeWithOurs(file);
        ASSERT_EQ(all.linesDelivered, 35);
        for (int first : {0, 1, 2, 3, 16, 17, 34, 35}) {
            jpeg_decoder_memory_stream stream(file.data(), file.size());
            jpeg_decoder decoder(&stream, false);
            std::vector<uint8_t> picture(37 * 4 * 35, 0xEE);
            EXPECT_EQ(decoder.decode_picture(picture.data(), 37 * 4), -1) << "not started";
            ASSERT_EQ(decoder.start_decoding(), 0);
            for (int y = 0; y < first; ++y) {
                const uint8_t* line = nullptr;
                uint32_t length = 0;
                ASSERT_EQ(decoder.decode_line(&line, &length), 0);
                std::copy(line, line + length, picture.begin() + y * 37 * 4);
            }
            ASSERT_EQ(decoder.decode_picture(picture.data(), 37 * 4), 0) << first;
            EXPECT_EQ(decoder.decode_picture(picture.data(), 37 * 4), 0) << "nothing left to do";
            std::vector<uint8_t> rgb;
            for (size_t i = 0; i < picture.size(); ++i)
                if (i % 4 != 3)
                    rgb.push_back(picture[i]);
            EXPECT_EQ(rgb, all.pixels) << "sampling " << s.h << s.v << ", " << first << " lines first";
        }
    }
}

TEST(JpegDecoder, SharedTestFiles)
{
    const std::filesystem::path root = std::filesystem::path(testDataDir()) / "jpeg";
    if (!std::filesystem::exists(root))
        GTEST_SKIP() << "no shared test data at " << root;
    // Files outside the supported subset and the code each gives.
    const std::pair<std::string, int32_t> refused[] = {
        {"jpg-cmyk-1.jpg", JPEG_UNSUPPORTED_COLORSPACE},
        {"testimgari.jpg", JPEG_NO_ARITHMETIC_SUPPORT},
        {"monkey12.jpg", JPEG_BAD_PRECISION},
    };
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".jpg")
            continue;
        const std::vector<uint8_t> file = readFileBytes(entry.path().string());
        const std::string name = entry.path().filename().string();
        const auto match = std::find_if(std::begin(refused), std::end(refused),
                                        [&](const auto& r) { return r.first == name; });
        if (match != std::end(refused)) {
            EXPECT_EQ(decodeWithOurs(file).errorCode, match->second) << name;
            continue;
        }
        expectMatchesOracle(file, name);
        ++compared;
    }
    EXPECT_GE(compared, 20);
}

// --- refusals ------------------------------------------------------------

namespace {

std::vector<uint8_t> edited(void (*edit)(JpegSegments&), int components = 3)
{
    JpegSegments s(encode(24, 16, components));
    edit(s);
    return s.bytes();
}

int32_t codeOf(const std::vector<uint8_t>& file) { return decodeWithOurs(file).errorCode; }

}  // namespace

TEST(JpegDecoder, HeaderErrorsGiveTheirCodes)
{
    // Huffman tables
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) {
                  auto& p = s.find(0xC4)->payload;
                  std::fill(p.begin() + 1, p.begin() + 17, 16);
              })),
              JPEG_BAD_DHT_COUNTS);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC4)->payload[0] = 0x08; })), JPEG_BAD_DHT_INDEX);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC4)->payload.resize(20); })), JPEG_BAD_DHT_MARKER);
    // Quantization tables
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xDB)->payload[0] = 0x04; })), JPEG_BAD_DQT_TABLE);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xDB)->payload.resize(40); })), JPEG_BAD_DQT_LENGTH);
    // Frame header
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[0] = 12; })), JPEG_BAD_PRECISION);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[1] = s.find(0xC0)->payload[2] = 0; })),
              JPEG_BAD_HEIGHT);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[3] = 0x20; })), JPEG_BAD_WIDTH);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[5] = 5; })), JPEG_TOO_MANY_COMPONENTS);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload.push_back(0); })), JPEG_BAD_SOF_LENGTH);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->marker = 0xC3; })), JPEG_UNSUPPORTED_MARKER);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.segments.insert(s.segments.begin(), {0xCC, {0, 0}}); })),
              JPEG_NO_ARITHMETIC_SUPPORT);
    // Other segments
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.segments.insert(s.segments.begin(), {0xD3, {}}); })),
              JPEG_UNEXPECTED_MARKER);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.segments.insert(s.segments.begin(), {0xDD, {0, 1, 2}}); })),
              JPEG_BAD_DRI_LENGTH);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.segments.insert(s.segments.begin(), {0xDA, {}}); })),
              JPEG_UNSUPPORTED_MARKER);
    // A skipped segment whose length field says 1.
    std::vector<uint8_t> shortApp = encode(8, 8, 1);
    shortApp.insert(shortApp.begin() + 2, {0xFF, 0xE5, 0x00, 0x01});
    EXPECT_EQ(codeOf(shortApp), JPEG_BAD_VARIABLE_MARKER);
    // A quantization segment whose length field says 1.
    std::vector<uint8_t> shortDqt = encode(8, 8, 1);
    shortDqt.insert(shortDqt.begin() + 2, {0xFF, 0xDB, 0x00, 0x01});
    EXPECT_EQ(codeOf(shortDqt), JPEG_BAD_DQT_MARKER);
}

TEST(JpegDecoder, FrameAndScanErrorsGiveTheirCodesAtStart)
{
    // Sampling factors outside the list.
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[10] = 0x21; })),
              JPEG_UNSUPPORTED_SAMP_FACTORS);
    // Scan header
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xDA)->payload.push_back(0); })), JPEG_BAD_SOS_LENGTH);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xDA)->payload[1] = 77; })), JPEG_BAD_SOS_COMPONENT_ID);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xC0)->payload[8] = 3; })), JPEG_UNDEFINED_QUANT_TABLE);
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) { s.find(0xDA)->payload[2] = 0x22; })),
              JPEG_UNDEFINED_HUFF_TABLE);
    // A sequential file with no scan at all.
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) {
                  s.segments.pop_back();
                  s.tail = {0xFF, 0xD9};
              })),
              JPEG_UNEXPECTED_MARKER);
    // Two components.
    EXPECT_EQ(codeOf(edited([](JpegSegments& s) {
                  auto& f = s.find(0xC0)->payload;
                  f[5] = 2;
                  f.resize(6 + 6);
              })),
              JPEG_UNSUPPORTED_COLORSPACE);
}

TEST(JpegDecoder, ProgressiveScanChecks)
{
    EncodeOptions o;
    o.progressive = true;
    const std::vector<uint8_t> file = encode(24, 16, 3, o);
    auto withFirstScan = [&](auto edit) {
        JpegSegments s(file);
        edit(s.find(0xDA)->payload);
        return codeOf(s.bytes());
    };
    // The first scan is the interleaved DC scan: 3 components, Ss Se AhAl after them.
    EXPECT_EQ(withFirstScan([](std::vector<uint8_t>& p) { p[8] = 5; }), JPEG_BAD_SOS_SPECTRAL);  // DC scan, end 5
    EXPECT_EQ(withFirstScan([](std::vector<uint8_t>& p) { p[7] = 1; p[8] = 0; }), JPEG_BAD_SOS_SPECTRAL);
    EXPECT_EQ(withFirstScan([](std::vector<uint8_t>& p) { p[7] = 1; p[8] = 5; }), JPEG_BAD_SOS_SPECTRAL);
    EXPECT_EQ(withFirstScan([](std::vector<uint8_t>& p) { p[9] = 0x20; }), JPEG_BAD_SOS_SUCCESSIVE);
    // Four components in a progressive frame.
    JpegSegments s(file);
    auto& frame = s.find(0xC2)->payload;
    frame[5] = 4;
    frame.insert(frame.end(), {4, 0x11, 0});
    EXPECT_EQ(codeOf(s.bytes()), JPEG_UNSUPPORTED_COLORSPACE);
}

TEST(JpegDecoder, CorruptEntropyDataIsReportedPerLine)
{
    // A table whose only AC symbol is "run 15, size 1" runs past coefficient 63.
    std::vector<uint8_t> file = edited([](JpegSegments& s) {
        for (auto& seg : s.segments) {
            if (seg.marker != 0xC4)
                continue;
            std::vector<uint8_t> p;
            size_t i = 0;
            while (i < seg.payload.size()) {
                int total = 0;
                for (int n = 1; n <= 16; ++n)
                    total += seg.payload[i + n];
                const uint8_t tc = seg.payload[i];
                p.push_back(tc);
                if (tc & 0x10) {  // AC: one 1-bit code
                    p.push_back(2);
                    p.insert(p.end(), 15, 0);
                    p.push_back(0xF1);
                    p.push_back(0xF1);
                } else {
                    p.insert(p.end(), seg.payload.begin() + i + 1, seg.payload.begin() + i + 17 + total);
                }
                i += 17 + total;
            }
            seg.payload = p;
        }
    }, 1);
    const OurDecode ours = decodeWithOurs(file);
    EXPECT_EQ(ours.startResult, 0);
    EXPECT_EQ(ours.lastLineResult, JPEG_DECODE_ERROR);
    EXPECT_EQ(ours.errorCode, JPEG_DECODE_ERROR);
    EXPECT_EQ(ours.linesDelivered, 0);
    EXPECT_TRUE(ours.pictureAgrees);
}

namespace {

struct FailingStream : jpeg_decoder_stream {
    int32_t read(uint8_t*, int32_t, bool*) override { return -1; }
};

}  // namespace

TEST(JpegDecoder, StreamErrorsAndAllocationRecords)
{
    FailingStream failing;
    jpeg_decoder broken(&failing, false);
    EXPECT_EQ(broken.error_code(), JPEG_STREAM_READ);
    EXPECT_EQ(broken.start_decoding(), -1);

    const std::vector<uint8_t> file = encode(8, 8, 1);
    jpeg_decoder_memory_stream stream(file.data(), file.size());
    jpeg_decoder decoder(&stream, false);
    for (int i = 0; i < JPEG_MAX_ALLOCATIONS; ++i)
        ASSERT_NE(decoder.allocate(16), nullptr);
    EXPECT_EQ(decoder.allocate(16), nullptr);
    EXPECT_EQ(decoder.error_code(), JPEG_TOO_MANY_BLOCKS);
}

