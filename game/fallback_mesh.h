#pragma once

class Mesh;

// Fills an empty mesh with a magenta unit quad (0..1 in x and y, standing up along +z as
// well), so an object whose mesh file is missing or damaged is still seen where it stands.
void buildFallbackMesh(Mesh& mesh);
