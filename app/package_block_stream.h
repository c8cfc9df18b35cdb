#pragma once
// One block of the player package as a read-only stream, read from its source
// on demand. The packaged movie reaches the runtime this way: the player never
// holds the movie in memory, the runtime's reads go to the file in the runtime's
// own chunk size.
#include "app/player_package.h"
#include "flashrt/stream_adapter.h"

#include <memory>

class PackageBlockStream final : public flashrt::TStream {
public:
    // The stream shares the source, so it may outlive whoever opened it.
    PackageBlockStream(std::shared_ptr<const PackageSource> source, const PackageBlock& block);

    // Up to count bytes from the position; 0 at or beyond the end.
    size_t Read(void* buffer, size_t count) override;
    // Read-only: writes nothing.
    size_t Write(const void*, size_t) override { return 0; }
    // Beyond the end is allowed (reads then give 0); before the start is an error.
    uint64_t Seek(int64_t offset, flashrt::TSeekOrigin origin) override;

private:
    std::shared_ptr<const PackageSource> source_;
    uint64_t offset_;
    uint64_t length_;
    uint64_t position_ = 0;
};
