// Scratch folders and whole-file helpers for the profile tests.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

class ScratchFolder {
 public:
  ScratchFolder() {
    // Memory-backed when there is such a folder: the tests sync every save.
    std::error_code ignored;
    std::random_device random;
    for (const std::filesystem::path& base :
         {std::filesystem::path("/dev/shm"), std::filesystem::temp_directory_path(ignored)}) {
      for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path folder =
            base / ("tarvo-profile-" + std::to_string(random()));
        std::error_code error;
        if (std::filesystem::create_directory(folder, error)) path_ = folder.generic_string();
      }
    }
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline void PutFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string GetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

inline unsigned Mode(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return 0;
  return static_cast<unsigned>(status.permissions() & std::filesystem::perms::mask);
}
