#include "tools/file_source.h"

#include <stdexcept>

FileSource::FileSource(const std::filesystem::path& path, const std::string& displayName) : name_(displayName) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw std::runtime_error(name_ + ": is a folder, not a file");
  in_.open(path, std::ios::binary);
  if (!in_) throw std::runtime_error(name_ + ": cannot open for reading");
  in_.seekg(0, std::ios::end);
  const std::streamoff size = in_.tellg();
  if (size < 0) throw std::runtime_error(name_ + ": cannot determine its size");
  size_ = static_cast<uint64_t>(size);
}

void FileSource::Read(uint64_t offset, void* into, size_t count) const {
  if (offset > size_ || count > size_ - offset)
    throw std::runtime_error(name_ + ": read of " + std::to_string(count) + " bytes at offset " +
                             std::to_string(offset) + " is outside the file");
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(offset));
  if (!in_.read(static_cast<char*>(into), static_cast<std::streamsize>(count)))
    throw std::runtime_error(name_ + ": read failed");
}
