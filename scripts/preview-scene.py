#!/usr/bin/env python3
"""Renders a flat-shaded preview of the course as the chase camera sees it:
the hall of meshes/box.3ds and the gear rings of the half-pipe, placed as the
game places them (a ring every 65 units at height -6, turned 90 degrees about y).

    scripts/preview-scene.py BUILD_DIR OUT.png [COURSE_Z]

Pure Python, no packages; slow but enough for a look at the composition.
"""
import math
import struct
import sys
import zlib

W, H = 384, 216


def chunks(data, start, end):
    while start + 6 <= end:
        cid, length = struct.unpack_from('<HI', data, start)
        yield cid, start + 6, start + length
        start += length


def read_3ds(path):
    data = open(path, 'rb').read()
    meshes = []
    for cid, s, e in chunks(data, 0, len(data)):
        for cid2, s2, e2 in chunks(data, s, e):
            if cid2 != 0x3D3D:
                continue
            for cid3, s3, e3 in chunks(data, s2, e2):
                if cid3 != 0x4000:
                    continue
                name_end = data.index(b'\0', s3)
                name = data[s3:name_end].decode()
                for cid4, s4, e4 in chunks(data, name_end + 1, e3):
                    if cid4 != 0x4100:
                        continue
                    verts, tris = [], []
                    for cid5, s5, e5 in chunks(data, s4, e4):
                        if cid5 == 0x4110:
                            n = struct.unpack_from('<H', data, s5)[0]
                            verts = [struct.unpack_from('<fff', data, s5 + 2 + 12 * i) for i in range(n)]
                        elif cid5 == 0x4120:
                            n = struct.unpack_from('<H', data, s5)[0]
                            tris = [struct.unpack_from('<HHH', data, s5 + 2 + 8 * i) for i in range(n)]
                    meshes.append((name, verts, tris))
    return meshes


def read_obj(path):
    verts, faces = [], []
    for line in open(path):
        p = line.split()
        if p and p[0] == 'v':
            verts.append(tuple(float(x) for x in p[1:4]))
        elif p and p[0] == 'f':
            idx = [int(x.split('/')[0]) - 1 for x in p[1:]]
            faces += [(idx[0], idx[i], idx[i + 1]) for i in range(1, len(idx) - 1)]
    return verts, faces


def main():
    build, out = sys.argv[1], sys.argv[2]
    course_z = float(sys.argv[3]) if len(sys.argv) > 3 else 1000.0
    eye = (0.0, 15.0, course_z - 50.0)
    centre = (0.0, 0.0, course_z)
    fwd = [centre[i] - eye[i] for i in range(3)]
    ln = math.sqrt(sum(x * x for x in fwd))
    fwd = [x / ln for x in fwd]
    up0 = (0.0, 1.0, 0.0)
    right = [fwd[1] * up0[2] - fwd[2] * up0[1], fwd[2] * up0[0] - fwd[0] * up0[2], fwd[0] * up0[1] - fwd[1] * up0[0]]
    ln = math.sqrt(sum(x * x for x in right))
    right = [x / ln for x in right]
    up = [right[1] * fwd[2] - right[2] * fwd[1], right[2] * fwd[0] - right[0] * fwd[2], right[0] * fwd[1] - right[1] * fwd[0]]
    focal = (H / 2) / math.tan(math.radians(55 / 2))

    def project(p):
        d = [p[i] - eye[i] for i in range(3)]
        z = sum(d[i] * fwd[i] for i in range(3))
        if z < 1.0:
            return None
        x = sum(d[i] * right[i] for i in range(3))
        y = sum(d[i] * up[i] for i in range(3))
        return (W / 2 + focal * x / z, H / 2 - focal * y / z, z)

    img = [0] * (W * H * 3)
    zbuf = [1e30] * (W * H)
    light = (0.75, 0.45, 0.2)

    def draw(tri, colour):
        a, b, c = tri
        e1 = [b[i] - a[i] for i in range(3)]
        e2 = [c[i] - a[i] for i in range(3)]
        n = [e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]]
        ln = math.sqrt(sum(x * x for x in n)) or 1.0
        shade = 0.2 + 0.8 * abs(sum(n[i] / ln * light[i] for i in range(3)))
        sp = [project(p) for p in tri]
        if None in sp:
            return
        x0 = max(int(min(p[0] for p in sp)), 0)
        x1 = min(int(max(p[0] for p in sp)) + 1, W - 1)
        y0 = max(int(min(p[1] for p in sp)), 0)
        y1 = min(int(max(p[1] for p in sp)) + 1, H - 1)
        if x0 > x1 or y0 > y1:
            return
        (ax, ay, az), (bx, by, bz), (qx, qy, qz) = sp
        area = (bx - ax) * (qy - ay) - (by - ay) * (qx - ax)
        if abs(area) < 1e-9:
            return
        col = [int(min(255, ch * shade)) for ch in colour]
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px, py = x + 0.5, y + 0.5
                w0 = ((bx - px) * (qy - py) - (by - py) * (qx - px)) / area
                w1 = ((qx - px) * (ay - py) - (qy - py) * (ax - px)) / area
                w2 = 1 - w0 - w1
                if w0 < 0 or w1 < 0 or w2 < 0:
                    continue
                z = w0 * az + w1 * bz + w2 * qz
                k = y * W + x
                if z < zbuf[k]:
                    zbuf[k] = z
                    img[3 * k:3 * k + 3] = col

    colours = {'hall_floor': (90, 95, 110), 'hall_walls': (80, 90, 120), 'pylons': (150, 130, 90),
               'roof_beams': (120, 110, 90), 'glass_roof': (60, 110, 140), 'light_rails': (160, 230, 255)}
    for name, verts, tris in read_3ds(build + '/meshes/box.3ds'):
        for t in tris:
            tri = [verts[i] for i in t]
            if max(p[2] for p in tri) < course_z - 80 or min(p[2] for p in tri) > course_z + 800:
                continue
            draw(tri, colours.get(name, (128, 128, 128)))

    gverts, gfaces = read_obj(build + '/meshes/gear.obj')
    for s in range(73, -19, -1):
        z = 6045 - 65 * (73 - s)
        if not (course_z - 160 <= z < course_z + 780) or (s > 70 and s % 2 == 0) or (31 <= s <= 49 and s % 2 == 0):
            continue
        # translate (0, -6, z), then turn 90 degrees about y: (x, y, z) -> (z, y, -x)
        placed = [(v[2], v[1] - 6.0, -v[0] + z) for v in gverts]
        for f in gfaces:
            draw([placed[i] for i in f], (120, 170, 200))

    raw = b''.join(b'\x00' + bytes(img[y * W * 3:(y + 1) * W * 3]) for y in range(H))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    with open(out, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b''))


if __name__ == '__main__':
    main()
