#pragma once

#include <cstdint>
#include <string>

namespace grittydecal::bench {

enum class TreeKind {
    Tiles,  // scenery packs of one tile each, with textures and decoys beside
    Flat,   // one merged pack: a single terrain folder holding every file
    Deep,   // scenery nested level in level, a terrain folder on each level
};

struct TreeSize {
    int packs = 200;             // Tiles: packs; Deep: levels
    int terrainPerFolder = 500;  // terrain files in each terrain folder
    int texturesPerPack = 1000;  // Tiles only
};

struct GeneratedTree {
    std::string installation;  // the folder the commands are given
    std::uint64_t terrainFiles = 0;
    std::uint64_t entries = 0;  // every file and folder below "Custom Scenery"
};

// Writes the tree below root, which must not exist yet. The same kind, size
// and seed always give the same names and bytes.
GeneratedTree GenerateTree(const std::string& root, TreeKind kind, const TreeSize& size,
                           std::uint64_t seed);

// The default size of each kind: about 100,000 terrain files.
TreeSize DefaultSize(TreeKind kind);
const char* TreeName(TreeKind kind);
bool ParseTreeName(const std::string& text, TreeKind& kind);

}  // namespace grittydecal::bench
