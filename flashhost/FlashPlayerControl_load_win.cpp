// Movie loading: from streams through the content manager, and the Movie setter's
// reading of the movie information from files.
#include <algorithm>
#include <cwctype>
#include <vector>

#include "flashhost/FlashPlayerControl_win.h"
#include "toolkit/application_win.h"
#include "winbase/handles_win.h"
#include "winbase/text_win.h"

namespace flashhost {

namespace {

using swfp::win::UniqueFile;

UniqueFile OpenForReading(const std::wstring& name)
{
    return UniqueFile(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The toolkit's file-open error, with the system's text for why the open failed.
[[noreturn]] void RaiseOpenError(const std::wstring& name)
{
    // Read the error before anything else can overwrite it.
    const DWORD error = GetLastError();
    const std::string reason = EOleError(HRESULT_FROM_WIN32(error)).what();
    throw std::runtime_error("Cannot open file \"" + swfp::win::WideToAnsi(name) + "\". " + reason);
}

void ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t count)
{
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, pos, nullptr, FILE_BEGIN)) throw std::runtime_error("Stream read error");
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        const DWORD step = static_cast<DWORD>(std::min<size_t>(count, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, out, step, &got, nullptr) || got == 0) throw std::runtime_error("Stream read error");
        out += got;
        count -= got;
    }
}

uint64_t FileSize(HANDLE file)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) throw std::runtime_error("Stream read error");
    return static_cast<uint64_t>(size.QuadPart);
}

uint32_t LittleEndian32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

// The extension that decides how an assigned name is read: the part from the last
// '.' after the last '\' or ':', lower-cased; empty when there is none.
std::wstring MovieNameExtension(const std::wstring& name)
{
    const size_t sep = name.find_last_of(L"\\:");
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring::npos || (sep != std::wstring::npos && dot < sep)) return {};
    std::wstring ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return ext;
}

void TFlashPlayerControl::ReadMovieInformation(std::span<const uint8_t> streamOrFile)
{
    const std::span<const uint8_t> block = LocateMovieBlock(streamOrFile);
    SwfHeaderInfo info = ReadSwfHeaderInfo(block);
    info.MovieSize = static_cast<uint32_t>(block.size());
    info_ = info;
    if (EnableSWFInfo) counters_ = SwfCensus(block);
}

void TFlashPlayerControl::ReadMovieInformation(flashrt::TStream& stream)
{
    const uint64_t size = stream.Size();
    uint8_t lastEight[8] = {};
    if (size >= 8) {
        stream.SetPosition(size - 8);
        stream.ReadBuffer(lastEight, sizeof lastEight);
    }
    const MovieBlockExtent block = LocateMovieBlock(size, std::span(lastEight, size >= 8 ? 8 : 0));
    const bool whole = EnableSWFInfo;  // the census walks every tag
    std::vector<uint8_t> head(static_cast<size_t>(whole ? block.length : std::min<uint64_t>(block.length, kSwfHeadBytes)));
    stream.SetPosition(block.offset);
    if (!head.empty()) stream.ReadBuffer(head.data(), head.size());
    SwfHeaderInfo info = ReadSwfHeaderInfo(head, block.length);
    info.MovieSize = static_cast<uint32_t>(block.length);
    info_ = info;
    if (whole) counters_ = SwfCensus(head);
}

void TFlashPlayerControl::LoadMovieFromStreamNoCopy(std::unique_ptr<flashrt::TStream> stream)
{
    ReadMovieInformation(*stream);
    stream->SetPosition(0);
    flashrt::ContentManager().PutMovieUsingStream(*this, std::move(stream));
}

void TFlashPlayerControl::LoadMovieFromStream(flashrt::TStream& stream)
{
    std::vector<uint8_t> copy;
    std::span<const uint8_t> whole;
    if (auto* memory = dynamic_cast<flashrt::TMemoryStream*>(&stream)) {
        // Read in place: a big movie is not copied once more just for its header.
        whole = memory->Bytes();
    } else {
        copy.resize(static_cast<size_t>(stream.Size()));
        stream.SetPosition(0);
        stream.ReadBuffer(copy.data(), copy.size());
        whole = copy;
    }
    ReadMovieInformation(whole);
    stream.SetPosition(0);
    const std::span<const uint8_t> block = LocateMovieBlock(whole);
    if (block.size() == whole.size()) {
        flashrt::ContentManager().PutMovieFromStream(*this, stream);
        return;
    }
    // A movie behind its trailer: the runtime gets the movie whose information
    // was just published, not the executable or file around it.
    flashrt::TMemoryStream movie(block);
    flashrt::ContentManager().PutMovieFromStream(*this, movie);
}

void TFlashPlayerControl::LoadLayerFromStream(int layer, flashrt::TStream& stream)
{
    flashrt::ContentManager().LoadLayerFromStream(*this, layer, stream);
}

void TFlashPlayerControl::LoadLayerFromStreamNoCopy(int layer, std::unique_ptr<flashrt::TStream> stream)
{
    flashrt::ContentManager().LoadLayerUsingStream(*this, layer, std::move(stream));
}

void TFlashPlayerControl::ContinueMovieSetter(const std::wstring& name)
{
    const std::wstring ext = MovieNameExtension(name);
    if (ext == L".swf" || ext == L".tmp") {
        // A URL or a missing file: the object has the name; nothing more to read.
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        UniqueFile file = OpenForReading(name);
        if (!file) RaiseOpenError(name);
        std::vector<uint8_t> bytes(static_cast<size_t>(FileSize(file.get())));
        if (!bytes.empty()) ReadAt(file.get(), 0, bytes.data(), bytes.size());
        ReadMovieInformation(bytes);
    } else if (ext == L".exe") {
        UniqueFile file = OpenForReading(name);
        if (!file) RaiseOpenError(name);
        const uint64_t size = FileSize(file.get());
        if (size < 8) return;
        uint8_t trailer[8];
        ReadAt(file.get(), size - 8, trailer, sizeof trailer);
        if (LittleEndian32(trailer) != kMovieTrailerMagic) return;
        const uint32_t length = LittleEndian32(trailer + 4);
        // A length that does not fit the file is a damaged executable, not a reason to read garbage.
        if (length > size - 8) throw EMovieCorrupt("The movie trailer of the file claims more bytes than it holds");
        flashrt::TMemoryStream movie;
        movie.SetSize(length);
        if (length > 0) ReadAt(file.get(), size - 8 - length, movie.MutableBytes().data(), length);
        LoadMovieFromStream(movie);
    }
}

bool TFlashPlayerControl::LoadExternalResource(const std::string& relativePath, flashrt::TMemoryStream& stream)
{
    if (!OnLoadExternalResource) return false;
    try {
        OnLoadExternalResource(*this, relativePath, stream);
    } catch (...) {
        // The request came from the runtime; the failure is reported, not thrown into it.
        swfp::tk::Application().HandleException(std::current_exception());
        stream.Clear();
    }
    return true;
}

}  // namespace flashhost
