#include "TempFolder.h"

#include <fstream>
#include <iterator>
#include <random>

namespace grittydecal {

TempFolder::TempFolder() {
    std::random_device random;
    do {
        path_ = std::filesystem::temp_directory_path() /
                ("grittydecal-settings-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t entryCount(const std::filesystem::path& folder) {
    auto entries = std::filesystem::directory_iterator(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

}  // namespace grittydecal
