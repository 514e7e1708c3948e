// jpeg_markers.cpp - the JPEG decoder's marker segments: start of image,
// tables, frame and scan headers.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "assets/jpeg/jpeg_bits.h"
#include "assets/jpeg/jpeg_decoder.h"
#include "assets/jpeg/jpeg_idct.h"
#include "assets/jpeg/jpeg_idct_fast.h"

namespace {

enum Marker : int {
    SOF0 = 0xC0, SOF1 = 0xC1, SOF2 = 0xC2, DHT = 0xC4, JPG = 0xC8, SOF9 = 0xC9, DAC = 0xCC, SOF15 = 0xCF,
    RST0 = 0xD0, RST7 = 0xD7, SOI = 0xD8, EOI = 0xD9, SOS = 0xDA, DQT = 0xDB, DRI = 0xDD, TEM = 0x01,
    APP0 = 0xE0, APP14 = 0xEE,
};

bool isFrameMarker(int m) { return m >= SOF0 && m <= SOF15 && m != DHT && m != JPG && m != DAC; }

}  // namespace

uint16_t jpeg_decoder::nextWord()
{
    const uint16_t high = nextByte();
    return static_cast<uint16_t>((high << 8) | nextByte());
}

bool jpeg_decoder::findStartOfImage()
{
    uint8_t previous = nextByte();
    uint8_t current = nextByte();
    for (int extra = 0; !(previous == 0xFF && current == SOI); ++extra) {
        if (extra == 511)
            return fail(JPEG_NOT_JPEG);
        previous = current;
        current = nextByte();
    }
    if (nextByte() != 0xFF)
        return fail(JPEG_NOT_JPEG);
    markerReached = true;  // the 0xFF of the first marker is consumed
    return true;
}

bool jpeg_decoder::nextMarker(int& marker)
{
    uint8_t byte;
    for (;;) {
        if (markerReached) {
            markerReached = false;
        } else {
            do
                byte = nextByte();
            while (byte != 0xFF);
        }
        do
            byte = nextByte();
        while (byte == 0xFF);
        if (byte != 0) {
            marker = byte;
            return true;
        }
    }
}

bool jpeg_decoder::readMarkers(int& marker)
{
    for (;;) {
        if (!nextMarker(marker))
            return false;
        if (isFrameMarker(marker) || marker == SOI || marker == EOI || marker == SOS)
            return true;
        bool ok = true;
        if (marker == DHT)
            ok = readHuffmanTables();
        else if (marker == DQT)
            ok = readQuantTables();
        else if (marker == DRI)
            ok = readRestartInterval();
        else if (marker == APP0 || marker == APP14)
            ok = readApplicationSegment(marker);
        else if (marker == DAC)
            ok = fail(JPEG_NO_ARITHMETIC_SUPPORT);
        else if (marker == TEM || marker == JPG || (marker >= RST0 && marker <= RST7))
            ok = fail(JPEG_UNEXPECTED_MARKER);
        else
            ok = skipSegment();
        if (!ok || errorCode)
            return fail(errorCode);
    }
}

bool jpeg_decoder::readHuffmanTables()
{
    int left = nextWord();
    if (left < 2)
        return fail(JPEG_BAD_DHT_MARKER);
    left -= 2;
    while (left > 0) {
        if (left < 17)
            return fail(JPEG_BAD_DHT_MARKER);
        const int classAndNumber = nextByte();
        uint8_t counts[17] = {};
        int total = 0;
        for (int i = 1; i <= 16; ++i) {
            counts[i] = nextByte();
            total += counts[i];
        }
        if (total > 255)
            return fail(JPEG_BAD_DHT_COUNTS);
        const int number = (classAndNumber & 0x0F) + ((classAndNumber & 0x10) ? 4 : 0);
        if (number >= 8)
            return fail(JPEG_BAD_DHT_INDEX);
        if (left < 17 + total)
            return fail(JPEG_BAD_DHT_MARKER);
        jpeg_huffman_table& table = huffman[number];
        std::memcpy(table.counts, counts, sizeof counts);
        for (int i = 0; i < total; ++i)
            table.symbols[i] = nextByte();
        table.symbolCount = total;
        table.defined = true;
        table.built = false;  // expanded when a scan first needs it
        left -= 17 + total;
    }
    return true;
}

bool jpeg_decoder::readQuantTables()
{
    int left = nextWord();
    if (left < 2)
        return fail(JPEG_BAD_DQT_MARKER);
    left -= 2;
    while (left > 0) {
        const int precisionAndNumber = nextByte();
        const bool wide = (precisionAndNumber >> 4) != 0;
        const int number = precisionAndNumber & 0x0F;
        if (number >= 4)
            return fail(JPEG_BAD_DQT_TABLE);
        if (left < (wide ? 129 : 65))
            return fail(JPEG_BAD_DQT_LENGTH);
        for (int k = 0; k < 64; ++k)
            quantTables[number][k] = wide ? nextWord() : nextByte();
        quantDefined[number] = true;
        left -= wide ? 129 : 65;
    }
    return true;
}

bool jpeg_decoder::readRestartInterval()
{
    if (nextWord() != 4)
        return fail(JPEG_BAD_DRI_LENGTH);
    restartInterval = nextWord();
    return true;
}

// JFIF (APP0) and Adobe (APP14) segments: which colour space the three
// components are in. Anything else in them is skipped.
bool jpeg_decoder::readApplicationSegment(int marker)
{
    int length = nextWord();
    if (length < 2)
        return fail(JPEG_BAD_VARIABLE_MARKER);
    length -= 2;
    uint8_t head[12] = {};
    const int headLength = length < 12 ? length : 12;
    for (int i = 0; i < headLength; ++i)
        head[i] = nextByte();
    skipBytes(length - headLength);
    if (marker == APP0 && headLength >= 5 && std::memcmp(head, "JFIF", 5) == 0)
        sawJfif = true;
    // "Adobe", version, two flag words, then the transform: 0 none, 1 YCbCr, 2 YCCK.
    if (marker == APP14 && headLength == 12 && std::memcmp(head, "Adobe", 5) == 0)
        adobeTransform = head[11];
    return true;
}

bool jpeg_decoder::skipSegment()
{
    const int length = nextWord();
    if (length < 2)
        return fail(JPEG_BAD_VARIABLE_MARKER);
    skipBytes(length - 2);
    return true;
}

void jpeg_decoder::skipBytes(int count)
{
    while (count > 0) {
        if (inputPos == inputEnd)
            refillInput();
        const int step = static_cast<int>(std::min<ptrdiff_t>(count, inputEnd - inputPos));
        inputPos += step;
        count -= step;
    }
}

bool jpeg_decoder::readFrameHeader(int marker)
{
    progressive = marker == SOF2;
    const int length = nextWord();
    if (nextByte() != 8)
        return fail(JPEG_BAD_PRECISION);
    imageHeight = nextWord();
    if (imageHeight < 1 || imageHeight > JPEG_MAX_SIDE)
        return fail(JPEG_BAD_HEIGHT);
    imageWidth = nextWord();
    if (imageWidth < 1 || imageWidth > JPEG_MAX_SIDE)
        return fail(JPEG_BAD_WIDTH);
    componentCount = nextByte();
    if (componentCount > JPEG_MAX_COMPONENTS)
        return fail(JPEG_TOO_MANY_COMPONENTS);
    if (length != 8 + 3 * componentCount)
        return fail(JPEG_BAD_SOF_LENGTH);
    for (int i = 0; i < componentCount; ++i) {
        jpeg_component& c = component[i];
        c.id = nextByte();
        const int sampling = nextByte();
        c.h = sampling >> 4;
        c.v = sampling & 0x0F;
        c.quantTable = nextByte();
    }
    bytesPerPixel = componentCount == 3 ? 4 : 1;
    frameRead = true;
    return true;
}

bool jpeg_decoder::readScanHeader()
{
    const int length = nextWord();
    scanCount = nextByte();
    if (length != 6 + 2 * scanCount || scanCount < 1 || scanCount > JPEG_MAX_COMPONENTS)
        return fail(JPEG_BAD_SOS_LENGTH);
    for (int i = 0; i < scanCount; ++i) {
        const int id = nextByte();
        const int tables = nextByte();
        int found = -1;
        for (int c = 0; c < componentCount; ++c)
            if (component[c].id == id)
                found = c;
        if (found < 0)
            return fail(JPEG_BAD_SOS_COMPONENT_ID);
        scanComponent[i] = found;
        // Numbers above 3 name no table: they fail the "defined" check.
        component[found].dcTable = (tables >> 4) <= 3 ? (tables >> 4) : -1;
        component[found].acTable = (tables & 0x0F) <= 3 ? (tables & 0x0F) + 4 : -1;
    }
    spectralStart = nextByte();
    spectralEnd = nextByte();
    const int approximation = nextByte();
    approxHigh = approximation >> 4;
    approxLow = approximation & 0x0F;
    return true;
}

bool jpeg_decoder::checkScan()
{
    if (progressive) {
        if (spectralStart > spectralEnd || spectralEnd > 63 || (spectralStart == 0 && spectralEnd != 0) ||
            (spectralStart > 0 && scanCount != 1))
            return fail(JPEG_BAD_SOS_SPECTRAL);
        if (approxHigh != 0 && approxLow != approxHigh - 1)
            return fail(JPEG_BAD_SOS_SUCCESSIVE);
    }
    const bool needDc = !progressive || spectralStart == 0;
    const bool needAc = !progressive || spectralEnd > 0;
    for (int i = 0; i < scanCount; ++i) {
        jpeg_component& c = component[scanComponent[i]];
        if (c.quantTable < 0 || c.quantTable > 3 || !quantDefined[c.quantTable])
            return fail(JPEG_UNDEFINED_QUANT_TABLE);
        if ((needDc && (c.dcTable < 0 || !huffman[c.dcTable].defined)) ||
            (needAc && (c.acTable < 0 || !huffman[c.acTable].defined)))
            return fail(JPEG_UNDEFINED_HUFF_TABLE);
        for (int number : {needDc ? c.dcTable : -1, needAc ? c.acTable : -1}) {
            if (number >= 0 && !huffman[number].built) {
                jpeg_build_huffman_table(huffman[number], number < 4);
                huffman[number].built = true;
            }
        }
        if (!c.quantLatched) {
            // The table in force at the component's first scan is the one it keeps.
            const uint16_t* table = quantTables[c.quantTable];
            c.fastQuantBits = useFast ? jpeg_fast_quant(table, jpeg_zigzag_to_natural, c.quant) : 0;
            c.fastIdct = c.fastQuantBits != 0;
            c.vectorAccurate = true;
            if (!c.fastIdct) {
                for (int k = 0; k < 64; ++k) {
                    c.quant[jpeg_zigzag_to_natural[k]] = table[k];
                    c.vectorAccurate = c.vectorAccurate && table[k] <= 255;
                }
            }
            c.quantLatched = true;
        }
    }
    return true;
}
