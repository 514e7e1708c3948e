// scene_import.cpp - 3DS scenes into the Renderer's importers.
//
// Placeholder until the 3DS importer lands: nothing is imported.
#include "render/renderer.h"

void Renderer::importScene(int32_t sceneIndex, double scale, const char* fileName) {}
