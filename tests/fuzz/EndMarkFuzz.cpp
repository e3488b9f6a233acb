// The Set edit on a real file against a plain model of the end-mark cut. The
// first byte is the length of the decal name that follows; the rest is the
// file.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "terrain/PosixFileSystem.h"
#include "terrain/TerrainEdits.h"

namespace {

class QuietWindow final : public grittydecal::WindowSystem {
public:
    void setProgressText(std::string_view) override {}
    void processPendingMessages() override {}
    void beep() override { std::abort(); }  // nothing here may fail
    void showError(std::string_view) override {}
};

std::string model(std::string_view text, std::string_view name) {
    const std::size_t reach = text.size() < 128 ? 0 : text.size() - 128;
    const std::size_t mark = text.find('\x1a', reach);
    return std::string(text.substr(0, mark)) + "\r\nDECAL_LIB lib/g10/decals/" + std::string(name) +
           "\r\n";
}

// A folder of its own for each run, memory-backed where there is such a
// folder: a disk makes this slow. libFuzzer ends without running destructors,
// so nothing may be left for the end.
std::string makeFolder() {
    struct stat st;
    std::string base = ::stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp";
    if (const char* tmp = std::getenv("TMPDIR")) base = tmp;
    std::string path = base + "/grittydecal-fuzz-XXXXXX";
    if (!::mkdtemp(path.data())) std::abort();
    return path + "/";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view name = rest.substr(0, data[0] % 40);
    const std::string_view text = rest.substr(name.size());

    const std::string folder = makeFolder();
    const std::string file = folder + "a.ter";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    grittydecal::PosixFileSystem files;
    QuietWindow window;
    grittydecal::TerrainEdits(files, window).AppendDecalLine(file, std::string(name));

    std::ifstream in(file, std::ios::binary);
    const std::string after{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (after != model(text, name)) std::abort();
    // The one file there: nothing was left beside it.
    ::unlink(file.c_str());
    if (::rmdir(folder.c_str()) != 0) std::abort();
    return 0;
}
