// l3ds_animation.cpp - keyframer tracks expanded per frame, and a node's
// transform at a given time.
//
// Position keys are interpolated linearly by frame number. Each rotation key
// turns the node further from the key before, about an axis of the node's own
// (already turned) frame, so keys are accumulated into orientations first and
// blended by spherical interpolation; each frame then stores its orientation
// as an angle (radians) and an axis, in glRotate's order.
#include <algorithm>
#include <cmath>

#include "assets/l3ds/l3ds_objects.h"
#include "base/work_meter.h"

namespace {

struct Quaternion {
    double w = 1, x = 0, y = 0, z = 0;
};

Quaternion operator*(const Quaternion& a, const Quaternion& b)
{
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quaternion normalized(Quaternion q)
{
    double length = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(length > 1e-30) || !std::isfinite(length))
        return {};
    return {q.w / length, q.x / length, q.y / length, q.z / length};
}

Quaternion fromRotation(const LRotation& r)
{
    double length = std::sqrt(double(r.x) * r.x + double(r.y) * r.y + double(r.z) * r.z);
    if (!(length > 1e-30) || !std::isfinite(length) || !std::isfinite(r.angle))
        return {};
    double s = std::sin(r.angle * 0.5) / length;
    return normalized({std::cos(r.angle * 0.5), r.x * s, r.y * s, r.z * s});
}

LRotation toRotation(const Quaternion& q)
{
    double sinHalf = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(sinHalf > 1e-12))
        return {};
    LRotation r;
    r.angle = static_cast<float>(2.0 * std::atan2(sinHalf, q.w));
    r.x = static_cast<float>(q.x / sinHalf);
    r.y = static_cast<float>(q.y / sinHalf);
    r.z = static_cast<float>(q.z / sinHalf);
    return r;
}

Quaternion slerp(Quaternion a, Quaternion b, double f)
{
    double cosine = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (cosine < 0) {
        b = {-b.w, -b.x, -b.y, -b.z};
        cosine = -cosine;
    }
    double wa = 1 - f, wb = f;
    if (cosine < 0.9995) {
        double angle = std::acos(std::min(cosine, 1.0));
        wa = std::sin((1 - f) * angle) / std::sin(angle);
        wb = std::sin(f * angle) / std::sin(angle);
    }
    return normalized({a.w * wa + b.w * wb, a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb});
}

// Walks keys sorted by frame for frames that never go back, so a whole
// expansion costs keys + frames steps rather than their product.
class KeyCursor {
public:
    // Index of the last key at or before `frame` (0 when the first is later)
    // and the fraction of the way to the next key. `frameOf` reads a key's frame.
    template <class Keys, class FrameOf>
    size_t find(const Keys& keys, double frame, FrameOf frameOf, double& fraction)
    {
        while (index + 1 < keys.size() && frameOf(keys[index + 1]) <= frame) {
            ++index;
            ++readerWork;
        }
        fraction = 0;
        if (index + 1 < keys.size() && frame > frameOf(keys[index]))
            fraction = (frame - frameOf(keys[index])) / (double(frameOf(keys[index + 1])) - frameOf(keys[index]));
        return index;
    }

private:
    size_t index = 0;
};

LVector3 lerp(LVector3 a, LVector3 b, float f) { return a + (b - a) * f; }

}  // namespace

void LAnimationNode::expandTracks(int32_t frames, uint32_t lastFrame)
{
    auto byFrame = [](const auto& a, const auto& b) { return a.frame < b.frame; };
    // Orientations accumulate in file order; only then are keys put in time order.
    std::vector<std::pair<uint32_t, Quaternion>> orientations;
    orientations.reserve(rotationKeys.size());
    Quaternion total;
    for (const LRotationKey& key : rotationKeys) {
        total = normalized(total * fromRotation(key.rotation));
        orientations.push_back({key.frame, total});
    }
    std::stable_sort(orientations.begin(), orientations.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LPositionKey> positionTrack = positionKeys;
    std::stable_sort(positionTrack.begin(), positionTrack.end(), byFrame);

    positions.assign(frames, LVector3{});
    rotations.assign(frames, LRotation{});
    readerWork += size_t(frames) + rotationKeys.size() + positionKeys.size();
    Quaternion previous;
    KeyCursor positionCursor;
    KeyCursor rotationCursor;
    for (int32_t i = 0; i < frames; ++i) {
        double frame = frames > 1 ? double(lastFrame) * i / (frames - 1) : 0.0;
        double f;
        if (!positionTrack.empty()) {
            size_t k = positionCursor.find(positionTrack, frame, [](const LPositionKey& key) { return key.frame; }, f);
            size_t next = std::min(k + 1, positionTrack.size() - 1);
            positions[i] = lerp(positionTrack[k].position, positionTrack[next].position, float(f));
        }
        if (!orientations.empty()) {
            size_t k = rotationCursor.find(orientations, frame, [](const auto& entry) { return entry.first; }, f);
            size_t next = std::min(k + 1, orientations.size() - 1);
            Quaternion q = slerp(orientations[k].second, orientations[next].second, f);
            // Keep neighbouring frames on the same side, so that blending their
            // angles and axes linearly stays close to the true rotation.
            if (q.w * previous.w + q.x * previous.x + q.y * previous.y + q.z * previous.z < 0)
                q = {-q.w, -q.x, -q.y, -q.z};
            previous = q;
            rotations[i] = toRotation(q);
        }
    }
}

LNodeTransform LAnimationNode::transformAt(float t) const
{
    LNodeTransform out;
    out.secondRotation = secondRotation;
    out.pivot = drawPivot;
    const size_t frames = std::min(positions.size(), rotations.size());
    if (frames == 0)
        return out;
    double x = double(frames) * double(t);
    if (!std::isfinite(x))
        x = 0;
    x = std::fmod(x, double(frames));  // wraps, and keeps the index in range
    if (x < 0)
        x += double(frames);
    double whole = std::trunc(x);
    size_t i0 = static_cast<size_t>(whole) % frames;
    size_t i1 = (i0 + 1) % frames;
    float f = static_cast<float>(x - whole);
    out.position = lerp(positions[i0], positions[i1], f);
    const LRotation& r0 = rotations[i0];
    const LRotation& r1 = rotations[i1];
    out.rotation.angle = r0.angle + (r1.angle - r0.angle) * f;
    out.rotation.x = r0.x + (r1.x - r0.x) * f;
    out.rotation.y = r0.y + (r1.y - r0.y) * f;
    out.rotation.z = r0.z + (r1.z - r0.z) * f;
    return out;
}
