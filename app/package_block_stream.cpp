#include "app/package_block_stream.h"

#include <algorithm>

PackageBlockStream::PackageBlockStream(std::shared_ptr<const PackageSource> source, const PackageBlock& block)
    : source_(std::move(source)), offset_(block.payloadOffset), length_(block.length)
{
    if (offset_ > source_->Size() || length_ > source_->Size() - offset_)
        throw EPackageCorrupt("The package block does not fit its file");
}

size_t PackageBlockStream::Read(void* buffer, size_t count)
{
    if (position_ >= length_)
        return 0;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, length_ - position_));
    source_->Read(offset_ + position_, buffer, n);
    position_ += n;
    return n;
}

uint64_t PackageBlockStream::Seek(int64_t offset, flashrt::TSeekOrigin origin)
{
    int64_t base = 0;
    switch (origin) {
    case flashrt::TSeekOrigin::Beginning: base = 0; break;
    case flashrt::TSeekOrigin::Current: base = static_cast<int64_t>(position_); break;
    case flashrt::TSeekOrigin::End: base = static_cast<int64_t>(length_); break;
    }
    const int64_t target = base + offset;
    if (target < 0)
        throw flashrt::EStreamError("Seek before the start of the stream");
    position_ = static_cast<uint64_t>(target);
    return position_;
}
