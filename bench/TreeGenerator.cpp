#include "TreeGenerator.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace grittydecal::bench {

namespace {

// splitmix64: small, and unlike the standard distributions it gives the same
// numbers with every standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::uint64_t state_;
};

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) fail("cannot create folder", path);
}

void writeFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot create", path);
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) fail("cannot write", path);
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    if (::close(fd) != 0) fail("cannot close", path);
}

std::string format(const char* pattern, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

constexpr const char* kDecals[] = {"grass_and_stony_dirt_1.dcl", "stony_dirt_1.dcl",
                                   "sand_and_grass_2.dcl", "rocky_1.dcl"};
constexpr const char* kFillerWords[] = {"tile", "zone",  "row",   "column", "mesh",  "ortho",
                                        "mask", "water", "night", "season", "blend", "edge"};

// One terrain file of about 120 to 700 bytes: the head, a base texture, a few
// optional lines, and now and then a decal line or a short line for Clear to
// drop. Every file ends with a line break.
std::string terrainText(Random& random, const std::string& texture) {
    const std::string_view eol = random.chance(30) ? "\n" : "\r\n";
    const std::size_t target = 120 + static_cast<std::size_t>(random.below(581));
    std::string text;
    auto line = [&](const std::string& content) {
        text.append(content);
        text.append(eol);
    };
    line("A");
    line("800");
    line("TERRAIN");
    line("");
    line(format("LOAD_CENTER %d.%05d %d.%05d %d 4096", 30 + random.below(30), random.below(100000),
                random.below(40), random.below(100000), 1000 + random.below(3000)));
    line("BASE_TEX_NOWRAP ../textures/" + texture + ".dds");
    if (random.chance(50)) line("NO_ALPHA");
    if (random.chance(60)) line(format("BORDER_TEX ../textures/border_%d.png", random.below(8)));
    if (random.chance(8)) line(std::string("DECAL_LIB lib/g10/decals/") + kDecals[random.below(4)]);
    if (random.chance(10)) line(random.chance(50) ? "" : "OK");
    for (;;) {
        std::string filler = "#";
        const int words = 2 + random.below(6);
        for (int w = 0; w < words; ++w) {
            filler += ' ';
            filler += kFillerWords[random.below(12)];
            filler += format(" %d", random.below(10000));
        }
        if (text.size() + filler.size() + eol.size() > target) break;
        line(filler);
    }
    return text;
}

struct Writer {
    Random random;
    GeneratedTree tree;

    void folder(const std::string& path) {
        makeFolder(path);
        ++tree.entries;
    }
    void file(const std::string& path, std::string_view bytes) {
        writeFile(path, bytes);
        ++tree.entries;
    }

    // A terrain folder: mostly tile-named files, one "Grass.TER" and a few
    // upper-case extensions, beside a few files and a folder it must pass by.
    void terrainFolder(const std::string& folder, int count, int tileRow) {
        this->folder(folder);
        for (int i = 0; i < count; ++i) {
            const std::string texture = format("%d_%d_BI16", tileRow + i / 40 * 16, i % 40 * 16);
            std::string name;
            if (i == 0) {
                name = "Grass.TER";
            } else if (random.chance(2)) {
                name = format("Rock_%d.TER", i);
            } else {
                name = texture + format("_%d.ter", i);
            }
            file(folder + "/" + name, terrainText(random, texture));
            ++tree.terrainFiles;
        }
        file(folder + "/readme.txt", "terrain of this pack\r\n");
        file(folder + "/Grass.ter.bak", terrainText(random, "bak"));
        this->folder(folder + "/old");
        file(folder + "/old/moved.ter", terrainText(random, "moved"));
    }

    // Folders that look like terrain folders but are none, and a hidden one
    // that is never walked.
    void decoys(const std::string& pack) {
        for (const char* name : {"/terrain2", "/myterrain"}) {
            folder(pack + name);
            file(pack + name + "/decoy.ter", terrainText(random, "decoy"));
        }
        folder(pack + "/.git");
        folder(pack + "/.git/terrain");
        file(pack + "/.git/terrain/hidden.ter", terrainText(random, "hidden"));
    }

    void earthNavData(const std::string& pack, int lat, int lon) {
        folder(pack + "/Earth nav data");
        const std::string square = format("%+03d%+04d", lat / 10 * 10, lon / 10 * 10);
        folder(pack + "/Earth nav data/" + square);
        file(pack + "/Earth nav data/" + square + format("/%+03d%+04d.dsf", lat, lon),
             "XPLNEDSF\x01\x00\x00\x00");
    }
};

}  // namespace

GeneratedTree GenerateTree(const std::string& root, TreeKind kind, const TreeSize& size,
                           std::uint64_t seed) {
    Writer writer{Random(seed), {}};
    writer.tree.installation = root;
    makeFolder(root);
    const std::string scenery = root + "/Custom Scenery";
    makeFolder(scenery);

    switch (kind) {
        case TreeKind::Tiles:
            for (int p = 0; p < size.packs; ++p) {
                const int lat = 35 + p / 40;
                const int lon = -10 + p % 40;
                const std::string pack = scenery + format("/zPhoto_%+03d%+04d", lat, lon);
                writer.folder(pack);
                writer.file(pack + "/library.txt", "A\r\n800\r\nLIBRARY\r\n");
                writer.terrainFolder(pack + "/terrain", size.terrainPerFolder, lat * 100);
                writer.folder(pack + "/textures");
                for (int t = 0; t < size.texturesPerPack; ++t) {
                    const char* extension = t % 3 == 0 ? "png" : "dds";
                    writer.file(pack + format("/textures/%d_%d_BI16.%s", lat * 100 + t / 40 * 16,
                                              t % 40 * 16, extension),
                                "");
                }
                writer.file(pack + "/textures/water.ter", "");
                writer.earthNavData(pack, lat, lon);
                writer.decoys(pack);
            }
            break;
        case TreeKind::Flat: {
            const std::string pack = scenery + "/zMerged";
            writer.folder(pack);
            writer.terrainFolder(pack + "/terrain", size.terrainPerFolder, 4700);
            writer.earthNavData(pack, 47, 8);
            break;
        }
        case TreeKind::Deep: {
            std::string level = scenery;
            for (int l = 1; l <= size.packs; ++l) {
                level += format("/level%02d", l);
                writer.folder(level);
                writer.terrainFolder(level + "/terrain", size.terrainPerFolder, 3000 + l * 100);
            }
            break;
        }
    }
    return writer.tree;
}

TreeSize DefaultSize(TreeKind kind) {
    switch (kind) {
        case TreeKind::Tiles:
            return {200, 500, 1000};
        case TreeKind::Flat:
            return {1, 100000, 0};
        case TreeKind::Deep:
            return {50, 2000, 0};
    }
    return {};
}

const char* TreeName(TreeKind kind) {
    switch (kind) {
        case TreeKind::Tiles:
            return "tiles";
        case TreeKind::Flat:
            return "flat";
        case TreeKind::Deep:
            return "deep";
    }
    return "";
}

bool ParseTreeName(const std::string& text, TreeKind& kind) {
    for (const TreeKind k : {TreeKind::Tiles, TreeKind::Flat, TreeKind::Deep}) {
        if (text == TreeName(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

}  // namespace grittydecal::bench
