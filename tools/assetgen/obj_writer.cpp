#include "obj_writer.h"

#include <cstdio>

bool writeObj(const std::string& path, const std::vector<Shape>& objects)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    std::fprintf(file, "# glasswake generated model\n");
    int base = 1;
    for (const Shape& shape : objects) {
        std::fprintf(file, "o %s\n", shape.name.c_str());
        for (const P3& p : shape.vertices)
            std::fprintf(file, "v %.4f %.4f %.4f\n", p.x, p.y, p.z);
        // The reader looks for the first face after a non-vertex line.
        std::fprintf(file, "vt 0 0\ns off\n");
        for (const auto& f : shape.faces) {
            std::fprintf(file, "f %d/1 %d/1 %d/1", f[0] + base, f[1] + base, f[2] + base);
            if (f[3] >= 0)
                std::fprintf(file, " %d/1", f[3] + base);
            std::fprintf(file, "\n");
        }
        base += static_cast<int>(shape.vertices.size());
    }
    return std::fclose(file) == 0;
}
