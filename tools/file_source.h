// A file read in place as package bytes: swfpack info and extract read the
// trailers and the blocks they need, never the whole file, so a file of any
// size is answered quickly and with bounded memory.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "app/player_package.h"

class FileSource final : public PackageSource {
 public:
  // Throws std::runtime_error naming the file when it cannot be opened.
  FileSource(const std::filesystem::path& path, const std::string& displayName);
  uint64_t Size() const override { return size_; }
  void Read(uint64_t offset, void* into, size_t count) const override;

 private:
  mutable std::ifstream in_;
  std::string name_;
  uint64_t size_ = 0;
};
