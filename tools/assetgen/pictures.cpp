#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "jpeg_writer.h"

namespace {

uint8_t toByte(double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5); }

// The loader card: a dark field with a soft horizon of cold light.
RgbImage loaderCard()
{
    RgbImage img(512, 256);
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const double u = (x + 0.5) / img.width - 0.5;
            const double v = (y + 0.5) / img.height - 0.5;
            const double horizon = std::exp(-v * v * 90.0) * (1.0 - 1.2 * u * u);
            uint8_t* p = img.at(x, y);
            p[0] = toByte(0.05 + 0.25 * horizon);
            p[1] = toByte(0.07 + 0.45 * horizon);
            p[2] = toByte(0.10 + 0.70 * horizon);
        }
    }
    return img;
}

}  // namespace

bool writePictures(const std::string& outputDir)
{
    return writeJpeg(outputDir + "/textures/theloader.jpg", loaderCard());
}
