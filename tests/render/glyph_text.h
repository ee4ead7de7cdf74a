#pragma once

#include "render/mesh.h"

#include <cmath>
#include <string>

// The text the first glyph slots of a label's mesh show, read back from their quads: the
// top-left texture coordinate of slot i (its vertex 4i+1) names the font cell, column u * 16
// and row (1 - v) * 16 counted from the top of the image.
inline std::string glyphText(const Mesh& mesh, size_t slots)
{
    std::string text;
    for (size_t slot = 0; slot < slots; ++slot) {
        const auto column = std::lround(mesh.uvs[8 * slot + 2] * 16.0f);
        const auto row = std::lround((1.0f - mesh.uvs[8 * slot + 3]) * 16.0f);
        text.push_back(static_cast<char>(row * 16 + column));
    }
    return text;
}
