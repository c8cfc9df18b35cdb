// What the player control learns about a movie before handing it to the
// Flash object: where the movie block is, its SWF header (stage size, frame
// rate, version, compression, byte size) and, on request, a census of the
// objects it defines.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>

// Trailer of a movie carried at the end of a self-running movie executable:
// magic, then the length of the movie block that ends where the trailer begins.
inline constexpr uint32_t kMovieTrailerMagic = 0xFA123456;

class EMovieCorrupt : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// When the last 8 bytes are a 0xFA123456 trailer, the movie block is the L
// bytes in front of it; otherwise the whole input is the movie block. Throws
// EMovieCorrupt when the trailer's length exceeds the bytes in front of it.
std::span<const uint8_t> LocateMovieBlock(std::span<const uint8_t> streamOrFile);

// The same rule for a stream read in place: from its size and its last 8 bytes
// (all of it when shorter), the movie block's offset and length.
struct MovieBlockExtent {
  uint64_t offset = 0, length = 0;
};
MovieBlockExtent LocateMovieBlock(uint64_t size, std::span<const uint8_t> lastEight);

// The header fields as published by the control. The initial values are the
// ones kept when the header cannot be read (compressed, version 6, empty
// stage, 12 fps).
struct SwfHeaderInfo {
  int32_t Xmin = 0, Ymin = 0, Xmax = 0, Ymax = 0;  // stage rectangle in twips
  bool Compressed = true;
  uint32_t MovieSize = 0;   // length of the movie block that was parsed
  uint8_t Version = 6;
  float FrameRate = 12.0f;  // 8.8 fixed point, signed integer part
  uint32_t FileLength = 0;  // as declared by the header; untrusted
  uint16_t FrameCount = 0;  // as declared by the header; not published
  bool HeaderRead = false;  // rectangle, frame rate and at least one byte after it were present

  // Stage size in pixels: twips div 20, truncating toward zero.
  int MovieWidth() const { return static_cast<int>((int64_t{Xmax} - Xmin) / 20); }
  int MovieHeight() const { return static_cast<int>((int64_t{Ymax} - Ymin) / 20); }
};

// Parses a movie block. A "CWS" body is inflated only as far as the header
// needs; when it does not inflate the movie counts as uncompressed and the
// stored bytes are read. An "FWS" block shorter than its declared length whose
// body does inflate counts as compressed. Never throws for malformed movies.
SwfHeaderInfo ReadSwfHeaderInfo(std::span<const uint8_t> movieBlock);

// The same from the first bytes of a block of blockSize bytes, so that a movie
// read in place need not be read whole for its header. kSwfHeadBytes of a block
// are plenty: a compressed header inflates from a few hundred.
inline constexpr size_t kSwfHeadBytes = 64 * 1024;
SwfHeaderInfo ReadSwfHeaderInfo(std::span<const uint8_t> head, uint64_t blockSize);

// The ten object counters, by SWF tag code:
//  [0] shapes 2, 22, 32       [1] morph shapes 46   [2] fonts 10, 48
//  [3] always 0               [4] bitmaps 6, 20, 21, 35, 36
//  [5] sounds 14, and one per sound stream (18, 45; its 19 blocks belong to it)
//  [6] video streams 60       [7] texts 11, 33, 37  [8] buttons 7, 34
//  [9] sprites 39
// Only top-level tags count (tags inside a sprite are not definitions). The
// walk stops at the End tag, at a tag that runs past the data, or where a
// compressed body stops inflating; all zero when the header cannot be read.
using SwfCensusCounters = std::array<int, 10>;
SwfCensusCounters SwfCensus(std::span<const uint8_t> movieBlock);
