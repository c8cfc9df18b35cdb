#pragma once
// Reading the headers of a PE image (PE32 and PE32+) held as bytes, either as a
// file or as a mapped image. Every offset and length is checked against the
// buffer before use: a damaged image gives a PeError naming what is wrong.
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace flashrt::pe {

class PeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Far above any real runtime module; keeps a damaged header from asking for gigabytes.
inline constexpr uint32_t kMaxImageSize = 256u << 20;

// File: bytes is the whole file. Mapped: bytes is the image itself. Headers:
// bytes holds the headers only, as read from the start of a file; the sections'
// raw data is not checked against it.
enum class Layout { File, Mapped, Headers };

enum DirectoryIndex : size_t {
    kExportDirectory = 0,
    kImportDirectory = 1,
    kResourceDirectory = 2,
    kExceptionDirectory = 3,
    kSecurityDirectory = 4,
    kRelocationDirectory = 5,
    kTlsDirectory = 9,
};

inline constexpr uint16_t kMachineI386 = 0x014C;
inline constexpr uint16_t kMachineAmd64 = 0x8664;
inline constexpr uint16_t kFileRelocsStripped = 0x0001;
inline constexpr uint16_t kFileDll = 0x2000;

struct DataDirectory {
    uint32_t rva = 0;
    uint32_t size = 0;
    bool empty() const { return rva == 0 || size == 0; }
};

struct Section {
    std::string name;
    uint32_t virtualSize = 0;
    uint32_t virtualAddress = 0;
    uint32_t sizeOfRawData = 0;
    uint32_t pointerToRawData = 0;
    uint32_t characteristics = 0;
    // Bytes taken from the file: the smaller of raw and virtual size.
    uint32_t CopiedSize() const { return sizeOfRawData < virtualSize ? sizeOfRawData : virtualSize; }
};

struct PeHeaders {
    bool is64 = false;
    uint16_t machine = 0;
    uint16_t fileCharacteristics = 0;
    uint32_t ntOffset = 0;
    uint64_t imageBase = 0;
    uint32_t entryPoint = 0;
    uint32_t sizeOfImage = 0;
    uint32_t sizeOfHeaders = 0;
    std::array<DataDirectory, 16> directories{};
    std::vector<Section> sections;

    uint32_t PointerSize() const { return is64 ? 8u : 4u; }
    const DataDirectory& Directory(size_t index) const { return directories.at(index); }
};

// Validates and reads the headers. With Layout::File the sections' raw data must
// lie inside bytes; with Layout::Mapped bytes is the image itself (SizeOfImage long).
PeHeaders ParseHeaders(std::span<const uint8_t> bytes, Layout layout);

// Little-endian reads at a checked offset; "what" names the field in the error.
uint16_t ReadU16(std::span<const uint8_t> bytes, uint64_t offset, const char* what);
uint32_t ReadU32(std::span<const uint8_t> bytes, uint64_t offset, const char* what);
uint64_t ReadU64(std::span<const uint8_t> bytes, uint64_t offset, const char* what);
void WriteU32(std::span<uint8_t> bytes, uint64_t offset, uint32_t value, const char* what);
void WriteU64(std::span<uint8_t> bytes, uint64_t offset, uint64_t value, const char* what);
// A zero-terminated text wholly inside bytes.
const char* ReadCString(std::span<const uint8_t> bytes, uint64_t offset, const char* what);
// Throws unless [offset, offset + length) lies inside a buffer of the given size.
void CheckRange(uint64_t offset, uint64_t length, uint64_t size, const char* what);

std::string Hex(uint64_t value);

}  // namespace flashrt::pe
