#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace grittydecal {

// A fresh folder below the system's temporary folder, removed with its content.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);
// To see that nothing was left beside a file.
std::size_t entryCount(const std::filesystem::path& folder);

}  // namespace grittydecal
