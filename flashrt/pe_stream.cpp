#include "flashrt/pe_stream.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace flashrt::pe {

size_t SpanSource::Read(std::span<uint8_t> into)
{
    const size_t n = std::min(into.size(), bytes_.size() - at_);
    if (n) std::memcpy(into.data(), bytes_.data() + at_, n);
    at_ += n;
    return n;
}

namespace {

// Keeps the position in the source, which only moves forward.
class Reader {
public:
    explicit Reader(ByteSource& source) : source_(source) {}
    uint64_t Position() const { return position_; }

    void ReadExactly(uint8_t* into, uint64_t length, const char* what)
    {
        while (length) {
            const size_t piece = static_cast<size_t>(std::min<uint64_t>(length, 1u << 30));
            const size_t got = source_.Read({into, piece});
            if (got == 0)
                throw PeError(std::string("the module ends at byte ") + std::to_string(position_) + " inside " + what);
            into += got;
            length -= got;
            position_ += got;
        }
    }
    void SkipTo(uint64_t offset, const char* what)
    {
        uint8_t scratch[4096];
        while (position_ < offset)
            ReadExactly(scratch, std::min<uint64_t>(sizeof scratch, offset - position_), what);
    }

private:
    ByteSource& source_;
    uint64_t position_ = 0;
};

// Headers no larger than this are read before the image exists; SizeOfHeaders
// is checked against SizeOfImage only once they are parsed.
constexpr uint64_t kMaxHeaderPrefix = 1u << 20;

}  // namespace

PeHeaders StreamImage(ByteSource& source, const ImageAllocator& allocate)
{
    Reader reader(source);
    // The fixed parts first, then as far as the section table reaches.
    std::vector<uint8_t> prefix(0x40);
    reader.ReadExactly(prefix.data(), prefix.size(), "the DOS header");
    const auto growTo = [&](uint64_t size, const char* what) {
        if (size > kMaxHeaderPrefix) throw PeError(std::string(what) + " lies too far into the file");
        if (size <= prefix.size()) return;
        const size_t had = prefix.size();
        prefix.resize(static_cast<size_t>(size));
        reader.ReadExactly(prefix.data() + had, size - had, what);
    };
    if (prefix[0] != 'M' || prefix[1] != 'Z') throw PeError("missing MZ signature in the DOS header");
    const uint64_t nt = ReadU32(prefix, 0x3C, "e_lfanew");
    growTo(nt + 24, "NT headers");
    const uint64_t tableEnd =
        nt + 24 + ReadU16(prefix, nt + 20, "SizeOfOptionalHeader") + 40ull * ReadU16(prefix, nt + 6, "NumberOfSections");
    growTo(tableEnd, "section table");
    // Parsed as a file of exactly the headers: the sections' raw data is
    // checked against the stream as it is read instead.
    PeHeaders h = ParseHeaders(prefix, Layout::Headers);
    if (tableEnd > h.sizeOfHeaders || prefix.size() > h.sizeOfHeaders)
        throw PeError("the section table lies outside SizeOfHeaders");

    // Raw data in file order; each byte of the file is read once.
    std::vector<const Section*> order;
    for (const Section& s : h.sections)
        if (s.CopiedSize()) order.push_back(&s);
    std::stable_sort(order.begin(), order.end(),
                     [](const Section* a, const Section* b) { return a->pointerToRawData < b->pointerToRawData; });
    uint64_t end = h.sizeOfHeaders;
    for (const Section* s : order) {
        if (s->pointerToRawData < end)
            throw PeError("raw data of section " + s->name + " at " + Hex(s->pointerToRawData) +
                          " overlaps the headers or the section before it in the file");
        end = uint64_t(s->pointerToRawData) + s->CopiedSize();
    }

    const std::span<uint8_t> image = allocate(h);
    if (image.size() < h.sizeOfImage) throw PeError("image region is smaller than SizeOfImage");
    std::memcpy(image.data(), prefix.data(), prefix.size());
    reader.ReadExactly(image.data() + prefix.size(), h.sizeOfHeaders - prefix.size(), "the headers");
    for (const Section* s : order) {
        reader.SkipTo(s->pointerToRawData, "the gap before a section");
        reader.ReadExactly(image.data() + s->virtualAddress, s->CopiedSize(), "the raw data of a section");
    }
    // Only what no copy wrote is zeroed: touching every page twice costs time.
    for (const Section& s : h.sections)
        std::memset(image.data() + s.virtualAddress + s.CopiedSize(), 0, s.virtualSize - s.CopiedSize());
    return h;
}

}  // namespace flashrt::pe
