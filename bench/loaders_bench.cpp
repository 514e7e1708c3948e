// loaders_bench.cpp - throughput of the OBJ and motion-file loaders.
//
// Generates an OBJ of 100 000 faces and a motion file of 10 000 records in a
// temporary folder, loads each repeatedly and prints MB/s. Each is also run at
// four times the size: equal MB/s at both sizes shows loading stays linear.
//   glasswake-bench-loaders
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "assets/motion_path.h"
#include "assets/obj_mesh.h"

namespace {

using Clock = std::chrono::steady_clock;

long fileSize(const std::string& name)
{
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f)
        return 0;
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    return size;
}

// Ten objects; each has its own vertices, then faces alternating quads and
// triangles over them, separated by vt and s lines as exporters write them.
void writeObj(const std::string& name, int faces)
{
    FILE* f = std::fopen(name.c_str(), "w");
    const int objects = 10;
    const int facesPerObject = faces / objects;
    const int verticesPerObject = facesPerObject / 2 + 4;
    int base = 0;
    for (int o = 0; o < objects; ++o) {
        std::fprintf(f, "o Part%d\n", o);
        for (int v = 0; v < verticesPerObject; ++v)
            std::fprintf(f, "v %.6f %.6f %.6f\n", std::sin(v * 0.01) * 5.0, v * 0.001, std::cos(v * 0.013) * 5.0 + o);
        std::fprintf(f, "vt 0.000000 0.000000\nvt 1.000000 1.000000\ns off\n");
        for (int k = 0; k < facesPerObject; ++k) {
            int a = base + 1 + (k * 7) % (verticesPerObject - 3);
            if (k % 2 == 0)
                std::fprintf(f, "f %d/1 %d/2 %d/1 %d/2\n", a, a + 1, a + 2, a + 3);
            else
                std::fprintf(f, "f %d/1 %d/2 %d/1\n", a, a + 2, a + 1);
        }
        base += verticesPerObject;
    }
    std::fclose(f);
}

void writeMotion(const std::string& name, int records)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    for (int i = 0; i < records; ++i) {
        float position[3] = {static_cast<float>(std::cos(i * 0.01) * 50.0), static_cast<float>(i * 0.1),
                             static_cast<float>(std::sin(i * 0.01) * 50.0)};
        double values[2] = {std::sin(i * 0.05) + 0.1 * std::sin(i * 1.7), i * 0.002};
        std::fwrite(position, sizeof position, 1, f);  // the build machines are little-endian
        std::fwrite(values, sizeof values, 1, f);
    }
    std::fclose(f);
}

// Best of several runs of load(), in seconds.
template <typename Load>
double bestTime(Load load)
{
    double best = 1e30;
    double spent = 0.0;
    for (int run = 0; run < 20 && (run < 3 || spent < 2.0); ++run) {
        auto start = Clock::now();
        load();
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        best = seconds < best ? seconds : best;
        spent += seconds;
    }
    return best;
}

void report(const char* what, long count, const char* unit, long bytes, double seconds)
{
    std::printf("%-6s %7ld %-7s %7.2f MB  %8.1f ms  %7.1f MB/s\n", what, count, unit, bytes / 1e6, seconds * 1e3,
                bytes / 1e6 / seconds);
}

}  // namespace

int main()
{
    char folder[] = "/tmp/glasswake-bench-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string obj = std::string(folder) + "/bench.obj";
    const std::string sav = std::string(folder) + "/bench.sav";

    for (int factor : {1, 4}) {
        const int faces = 100000 * factor;
        writeObj(obj, faces);
        size_t loadedFaces = 0;
        double seconds = bestTime([&] {
            ObjMesh mesh;
            mesh.loadObj(obj, 1);
            loadedFaces = 0;
            for (const auto& object : mesh.objects)
                loadedFaces += object.size();
        });
        if (loadedFaces != static_cast<size_t>(faces))
            std::fprintf(stderr, "obj: %zu faces loaded, %d written\n", loadedFaces, faces);
        report("obj", faces, "faces", fileSize(obj), seconds);
    }
    for (int factor : {1, 4}) {
        const int records = 10000 * factor;
        writeMotion(sav, records);
        double seconds = bestTime([&] {
            MotionPath path;
            path.loadMotion(sav.c_str());
        });
        report("motion", records, "records", fileSize(sav), seconds);
    }

    std::remove(obj.c_str());
    std::remove(sav.c_str());
    rmdir(folder);
    return 0;
}
