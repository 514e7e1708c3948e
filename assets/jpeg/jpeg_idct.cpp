// jpeg_idct.cpp - the accurate integer inverse DCT.
//
// Two separable 1-D passes: columns first, scaled up by 2 extra bits and
// descaled by 11 with rounding; then rows, descaled by 18 with rounding, plus
// the level shift. Products are formed in 64 bits so that corrupt data with
// 16-bit quantization tables cannot overflow.
#include "assets/jpeg/jpeg_idct.h"

#include <algorithm>

namespace {

constexpr uint8_t makeZigzagEntry(int k)
{
    // Walk the anti-diagonals, alternating direction, until position k.
    int x = 0, y = 0;
    for (int i = 0; i < k; ++i) {
        if (((x + y) & 1) == 0) {  // moving up and to the right
            if (x == 7) ++y;
            else if (y == 0) ++x;
            else { ++x; --y; }
        } else {                   // moving down and to the left
            if (y == 7) ++x;
            else if (x == 0) ++y;
            else { --x; ++y; }
        }
    }
    return static_cast<uint8_t>(y * 8 + x);
}

constexpr int FIX(double x) { return static_cast<int>(x * 8192.0 + 0.5); }

constexpr int64_t FIX_0_298631336 = FIX(0.298631336);
constexpr int64_t FIX_0_390180644 = FIX(0.390180644);
constexpr int64_t FIX_0_541196100 = FIX(0.541196100);
constexpr int64_t FIX_0_765366865 = FIX(0.765366865);
constexpr int64_t FIX_0_899976223 = FIX(0.899976223);
constexpr int64_t FIX_1_175875602 = FIX(1.175875602);
constexpr int64_t FIX_1_501321110 = FIX(1.501321110);
constexpr int64_t FIX_1_847759065 = FIX(1.847759065);
constexpr int64_t FIX_1_961570560 = FIX(1.961570560);
constexpr int64_t FIX_2_053119869 = FIX(2.053119869);
constexpr int64_t FIX_2_562915447 = FIX(2.562915447);
constexpr int64_t FIX_3_072711026 = FIX(3.072711026);

// One 1-D pass over 8 values in[0], in[step], ... ; results before descaling.
struct Butterfly {
    int64_t out[8];

    void run(int64_t i0, int64_t i1, int64_t i2, int64_t i3, int64_t i4, int64_t i5, int64_t i6, int64_t i7,
             int64_t rounding)
    {
        // Even part: rotation of inputs 2 and 6, sums of 0 and 4.
        int64_t z1 = (i2 + i6) * FIX_0_541196100;
        const int64_t t2 = z1 - i6 * FIX_1_847759065;
        const int64_t t3 = z1 + i2 * FIX_0_765366865;
        const int64_t t0 = ((i0 + i4) << 13) + rounding;
        const int64_t t1 = ((i0 - i4) << 13) + rounding;
        const int64_t e10 = t0 + t3, e13 = t0 - t3, e11 = t1 + t2, e12 = t1 - t2;

        // Odd part.
        z1 = i7 + i1;
        int64_t z2 = i5 + i3;
        int64_t z3 = i7 + i3;
        int64_t z4 = i5 + i1;
        const int64_t z5 = (z3 + z4) * FIX_1_175875602;
        int64_t o0 = i7 * FIX_0_298631336;
        int64_t o1 = i5 * FIX_2_053119869;
        int64_t o2 = i3 * FIX_3_072711026;
        int64_t o3 = i1 * FIX_1_501321110;
        z1 *= -FIX_0_899976223;
        z2 *= -FIX_2_562915447;
        z3 = z3 * -FIX_1_961570560 + z5;
        z4 = z4 * -FIX_0_390180644 + z5;
        o0 += z1 + z3;
        o1 += z2 + z4;
        o2 += z2 + z3;
        o3 += z1 + z4;

        out[0] = e10 + o3; out[7] = e10 - o3;
        out[1] = e11 + o2; out[6] = e11 - o2;
        out[2] = e12 + o1; out[5] = e12 - o1;
        out[3] = e13 + o0; out[4] = e13 - o0;
    }
};

inline uint8_t clampSample(int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255)); }

}  // namespace

const uint8_t jpeg_zigzag_to_natural[80] = {
#define Z(k) makeZigzagEntry(k)
    Z(0), Z(1), Z(2), Z(3), Z(4), Z(5), Z(6), Z(7), Z(8), Z(9), Z(10), Z(11), Z(12), Z(13), Z(14), Z(15),
    Z(16), Z(17), Z(18), Z(19), Z(20), Z(21), Z(22), Z(23), Z(24), Z(25), Z(26), Z(27), Z(28), Z(29), Z(30),
    Z(31), Z(32), Z(33), Z(34), Z(35), Z(36), Z(37), Z(38), Z(39), Z(40), Z(41), Z(42), Z(43), Z(44), Z(45),
    Z(46), Z(47), Z(48), Z(49), Z(50), Z(51), Z(52), Z(53), Z(54), Z(55), Z(56), Z(57), Z(58), Z(59), Z(60),
    Z(61), Z(62), Z(63),
#undef Z
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
};

void jpeg_idct_accurate(const int16_t* in, const uint16_t* quant, uint8_t* out, int stride)
{
    int64_t work[64];
    Butterfly b;

    // Columns. A column with no AC terms is flat: its DC scaled by 4.
    for (int c = 0; c < 8; ++c) {
        const int16_t* col = in + c;
        const uint16_t* q = quant + c;
        if ((col[8] | col[16] | col[24] | col[32] | col[40] | col[48] | col[56]) == 0) {
            const int64_t dc = static_cast<int64_t>(col[0]) * q[0] * 4;
            for (int r = 0; r < 8; ++r)
                work[r * 8 + c] = dc;
            continue;
        }
        b.run(int64_t(col[0]) * q[0], int64_t(col[8]) * q[8], int64_t(col[16]) * q[16],
              int64_t(col[24]) * q[24], int64_t(col[32]) * q[32], int64_t(col[40]) * q[40],
              int64_t(col[48]) * q[48], int64_t(col[56]) * q[56], 1024);
        for (int r = 0; r < 8; ++r)
            work[r * 8 + c] = b.out[r] >> 11;
    }

    // Rows, with the level shift and rounding folded into the DC term.
    for (int r = 0; r < 8; ++r) {
        const int64_t* w = work + r * 8;
        uint8_t* o = out + r * stride;
        b.run(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], (int64_t(1) << 17) + (int64_t(128) << 18));
        for (int c = 0; c < 8; ++c)
            o[c] = clampSample(b.out[c] >> 18);
    }
}

void jpeg_idct_dc_only(int16_t dc, uint16_t quant0, uint8_t* out, int stride)
{
    const int64_t scaled = static_cast<int64_t>(dc) * quant0 * 4;  // after the column pass
    const uint8_t value = clampSample(((scaled + 16) >> 5) + 128);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            out[r * stride + c] = value;
}
