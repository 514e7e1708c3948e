#!/usr/bin/env python3
"""Renders generated OBJ models into PNG contact sheets for a quick look.

    scripts/preview-models.py BUILD_DIR OUT_DIR

Each model is drawn flat-shaded from three directions (front, side, above),
the way the game shades it: one normal per face. Pure Python, no packages.
"""
import math
import os
import struct
import sys
import zlib


def read_obj(path):
    verts, objects = [], []
    for line in open(path):
        parts = line.split()
        if not parts:
            continue
        if parts[0] == 'o':
            objects.append([])
        elif parts[0] == 'v':
            verts.append(tuple(float(p) for p in parts[1:4]))
        elif parts[0] == 'f':
            objects[-1].append([int(p.split('/')[0]) - 1 for p in parts[1:]])
    return verts, objects


def write_png(path, width, height, rgb):
    raw = b''.join(b'\x00' + bytes(rgb[y * width * 3:(y + 1) * width * 3]) for y in range(height))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b''))


def render(verts, objects, view, size):
    """view: function mapping a point to (screen x, screen y, depth)."""
    pts = [view(v) for v in verts]
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    span = max(max(xs) - min(xs), max(ys) - min(ys), 1e-6)
    cx, cy = (max(xs) + min(xs)) / 2, (max(ys) + min(ys)) / 2
    scale = 0.9 * size / span
    img = [12] * (size * size * 3)
    zbuf = [1e30] * (size * size)
    colours = [(255, 120, 80), (120, 255, 140), (140, 180, 255)]
    light = (0.4, 0.7, -0.6)
    for oi, faces in enumerate(objects):
        base = colours[oi % 3] if len(objects) > 1 else (200, 220, 255)
        for f in faces:
            a, b, c = verts[f[0]], verts[f[1]], verts[f[2]]
            e1 = [c[i] - b[i] for i in range(3)]
            e2 = [a[i] - b[i] for i in range(3)]
            n = [e2[1] * e1[2] - e2[2] * e1[1], e2[2] * e1[0] - e2[0] * e1[2], e2[0] * e1[1] - e2[1] * e1[0]]
            ln = math.sqrt(sum(x * x for x in n)) or 1
            n = [-x / ln for x in n]
            shade = 0.25 + 0.75 * abs(sum(n[i] * light[i] for i in range(3)))
            col = [int(ch * shade) for ch in base]
            sp = [((pts[i][0] - cx) * scale + size / 2, size / 2 - (pts[i][1] - cy) * scale, pts[i][2]) for i in f]
            for t in range(1, len(sp) - 1):
                tri = (sp[0], sp[t], sp[t + 1])
                x0 = max(int(min(p[0] for p in tri)), 0)
                x1 = min(int(max(p[0] for p in tri)) + 1, size - 1)
                y0 = max(int(min(p[1] for p in tri)), 0)
                y1 = min(int(max(p[1] for p in tri)) + 1, size - 1)
                (ax, ay, az), (bx, by, bz), (qx, qy, qz) = tri
                area = (bx - ax) * (qy - ay) - (by - ay) * (qx - ax)
                if abs(area) < 1e-9:
                    continue
                for y in range(y0, y1 + 1):
                    for x in range(x0, x1 + 1):
                        px, py = x + 0.5, y + 0.5
                        w0 = ((bx - px) * (qy - py) - (by - py) * (qx - px)) / area
                        w1 = ((qx - px) * (ay - py) - (qy - py) * (ax - px)) / area
                        w2 = 1 - w0 - w1
                        if w0 < 0 or w1 < 0 or w2 < 0:
                            continue
                        z = w0 * az + w1 * bz + w2 * qz
                        k = y * size + x
                        if z < zbuf[k]:
                            zbuf[k] = z
                            img[3 * k:3 * k + 3] = col
    return img


def main():
    build, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    size = 160
    views = [lambda v: (v[0], v[1], v[2]),        # looking along +z (from behind the craft after the turn: -x is forward)
             lambda v: (v[2], v[1], -v[0]),       # side
             lambda v: (v[0], -v[2], -v[1])]      # from above
    meshes = os.path.join(build, 'meshes')
    for name in sorted(os.listdir(meshes)):
        if not name.endswith('.obj'):
            continue
        verts, objects = read_obj(os.path.join(meshes, name))
        sheet = [0] * (size * 3 * size * 3)
        for vi, view in enumerate(views):
            img = render(verts, objects, view, size)
            for y in range(size):
                row = img[y * size * 3:(y + 1) * size * 3]
                start = (y * size * 3 + vi * size) * 3
                sheet[start:start + size * 3] = row
        write_png(os.path.join(out, name.replace('.obj', '.png')), size * 3, size, sheet)


if __name__ == '__main__':
    main()
