// The COM half of the content manager under Windows (or Wine): the stream adapters,
// the moniker's chunked delivery to the caller's status callback, and the manager's
// answers to moniker and file requests.
#include <gtest/gtest.h>

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <filesystem>
#include <string>
#include <vector>

#include "flashrt/content_manager_win.h"
#include "flashrt/moniker_win.h"
#include "flashrt/stream_adapter_win.h"
#include "winbase/com_object_win.h"
#include "tests/support_win/test_files_win.h"

using Microsoft::WRL::ComPtr;
using namespace flashrt;

namespace {

std::vector<uint8_t> Pattern(size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 2654435761u + seed) >> 13);
    return bytes;
}

std::vector<uint8_t> ReadAll(IStream* stream)
{
    std::vector<uint8_t> out;
    uint8_t buf[4096];
    for (;;) {
        ULONG got = 0;
        if (FAILED(stream->Read(buf, sizeof buf, &got)) || got == 0) break;
        out.insert(out.end(), buf, buf + got);
    }
    return out;
}

// Records what the moniker tells the caller, in order.
class RecordingCallback final : public IBindStatusCallback {
public:
    std::vector<std::string> calls;
    std::vector<DWORD> chunkSizes;
    std::vector<uint8_t> received;
    HRESULT stopResult = 0xdeadbeef;
    HRESULT answerToData = S_OK;
    bool formatOk = true;
    bool keepStreams = false;
    std::vector<ComPtr<IStream>> kept;
    swfp::win::RefCount refs{1};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IUnknown || riid == IID_IBindStatusCallback) {
            *object = static_cast<IBindStatusCallback*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return refs.Drop(); }  // lives on the stack
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override
    {
        calls.push_back(binding ? "start(binding)" : "start");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override
    {
        calls.push_back("stop");
        stopResult = result;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override
    {
        calls.push_back("data " + std::to_string(flags));
        chunkSizes.push_back(size);
        formatOk = formatOk && format && format->cfFormat == 0 && format->ptd == nullptr &&
                   format->dwAspect == DVASPECT_CONTENT && format->lindex == -1 && format->tymed == TYMED_ISTREAM &&
                   medium && medium->tymed == TYMED_ISTREAM && medium->pUnkForRelease == nullptr;
        if (medium && medium->pstm) {
            if (keepStreams) kept.emplace_back(medium->pstm);
            auto bytes = ReadAll(medium->pstm);
            if (bytes.size() != size) formatOk = false;
            received.insert(received.end(), bytes.begin(), bytes.end());
        }
        return answerToData;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

// Binds a moniker the way the runtime does: a bind context with its callback registered.
HRESULT Bind(IMoniker* moniker, RecordingCallback& callback)
{
    ComPtr<IBindCtx> bc;
    if (FAILED(CreateBindCtx(0, &bc))) return E_UNEXPECTED;
    if (FAILED(RegisterBindStatusCallback(bc.Get(), &callback, nullptr, 0))) return E_UNEXPECTED;
    void* object = reinterpret_cast<void*>(0xdeadbeef);
    const HRESULT hr = moniker->BindToStorage(bc.Get(), nullptr, IID_IStream, &object);
    EXPECT_EQ(object, reinterpret_cast<void*>(0xdeadbeef)) << "the out object is not touched";
    // The caller's callback is registered again afterwards.
    ComPtr<IBindStatusCallback> previous;
    RecordingCallback probe;
    EXPECT_EQ(RegisterBindStatusCallback(bc.Get(), &probe, &previous, 0), S_OK);
    EXPECT_EQ(previous.Get(), static_cast<IBindStatusCallback*>(&callback));
    previous.Reset();
    RevokeBindStatusCallback(bc.Get(), &probe);
    return hr;
}

class FakeControl final : public TContentClient {
public:
    std::wstring base;
    bool hasHandler = false;
    std::vector<uint8_t> resource;
    std::vector<std::string> requested;
    std::vector<std::wstring> movies;
    std::vector<std::pair<int32_t, std::wstring>> layers;

    std::wstring ContentBase() override { return base; }
    bool LoadExternalResource(const std::string& relativePath, TMemoryStream& stream) override
    {
        if (!hasHandler) return false;
        requested.push_back(relativePath);
        stream.Write(resource.data(), resource.size());
        return true;
    }
    void SetMovieURL(const std::wstring& url) override { movies.push_back(url); }
    void LoadMovieURL(int32_t layer, const std::wstring& url) override { layers.emplace_back(layer, url); }
};

std::wstring Wide(const std::string& s) { return AnsiToWide(s); }

std::string PseudoAsURL(int id)
{
    return "file:///Z:/FromMemory/" + std::string(kMemoryContentMarker) + "/" + std::to_string(id) + "/" +
           std::string(kMemoryMovieFileName);
}

bool IsOurMoniker(IMoniker* moniker)
{
    ComPtr<IBinding> binding;
    return moniker && SUCCEEDED(moniker->QueryInterface(IID_PPV_ARGS(&binding)));
}

struct ComApartment {
    ComApartment() { CoInitialize(nullptr); }
    ~ComApartment() { CoUninitialize(); }
};

}  // namespace

// ---- stream adapters ---------------------------------------------------------------

TEST(StreamAdapters, ReadThroughBothLayersAndFreeOnLastRelease)
{
    const long before = TISequentialStreamImplBasedOnTStream::LiveCount();
    const auto bytes = Pattern(3000, 1);
    {
        ComPtr<IStream> stream = TStreamToIStream(std::make_unique<TMemoryStream>(bytes));
        EXPECT_EQ(TISequentialStreamImplBasedOnTStream::LiveCount(), before + 1);
        // The result holds exactly one reference.
        EXPECT_EQ(stream->AddRef(), 2u);
        EXPECT_EQ(stream->Release(), 1u);

        ComPtr<ISequentialStream> sequential;
        EXPECT_EQ(stream.As(&sequential), S_OK);
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(stream->QueryInterface(IID_IPersistStream, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);

        EXPECT_EQ(ReadAll(stream.Get()), bytes);
        ULONG got = 0xdeadbeef;
        char c;
        EXPECT_EQ(stream->Read(&c, 1, &got), S_OK);  // at the end: S_OK with 0 bytes
        EXPECT_EQ(got, 0u);

        ULONG written = 0xdeadbeef;
        EXPECT_EQ(stream->Write("x", 1, &written), S_FALSE);
        EXPECT_EQ(written, 0u);
    }
    EXPECT_EQ(TISequentialStreamImplBasedOnTStream::LiveCount(), before);
}

TEST(StreamAdapters, RandomAccessIsNotImplementedAndCopyToTakesEverything)
{
    const auto bytes = Pattern(0x100000 * 2 + 77, 2);  // crosses the 1 MiB copy buffer
    ComPtr<IStream> stream = TStreamToIStream(std::make_unique<TMemoryStream>(bytes));
    LARGE_INTEGER zero{};
    ULARGE_INTEGER uzero{};
    EXPECT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), E_NOTIMPL);
    EXPECT_EQ(stream->SetSize(uzero), E_NOTIMPL);
    EXPECT_EQ(stream->Commit(0), E_NOTIMPL);
    EXPECT_EQ(stream->Revert(), E_NOTIMPL);
    EXPECT_EQ(stream->LockRegion(uzero, uzero, 0), E_NOTIMPL);
    EXPECT_EQ(stream->UnlockRegion(uzero, uzero, 0), E_NOTIMPL);
    STATSTG stat;
    EXPECT_EQ(stream->Stat(&stat, STATFLAG_NONAME), E_NOTIMPL);
    IStream* clone = reinterpret_cast<IStream*>(0xdeadbeef);
    EXPECT_EQ(stream->Clone(&clone), E_NOTIMPL);
    EXPECT_EQ(clone, nullptr);

    ULARGE_INTEGER read, written;
    read.QuadPart = written.QuadPart = 0xdeadbeef;
    EXPECT_EQ(stream->CopyTo(nullptr, uzero, &read, &written), STG_E_INVALIDPOINTER);

    ComPtr<IStream> target;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &target), S_OK);
    ULARGE_INTEGER small;
    small.QuadPart = 5;  // the count is not a limit: everything is copied
    EXPECT_EQ(stream->CopyTo(target.Get(), small, &read, &written), S_OK);
    EXPECT_EQ(read.QuadPart, bytes.size());
    EXPECT_EQ(written.QuadPart, bytes.size());
    target->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(ReadAll(target.Get()), bytes);
}

// ---- the moniker -------------------------------------------------------------------

TEST(Moniker, AnswersItsThreeInterfacesAndFailsEverythingElse)
{
    ComApartment com;
    const long before = TMyMoniker::LiveCount();
    {
        ComPtr<IMoniker> moniker = CreateMyMoniker("u", nullptr);
        EXPECT_EQ(TMyMoniker::LiveCount(), before + 1);
        ComPtr<IBinding> binding;
        ComPtr<IBindStatusCallback> callback;
        EXPECT_EQ(moniker.As(&binding), S_OK);
        EXPECT_EQ(moniker.As(&callback), S_OK);
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(moniker->QueryInterface(IID_IStream, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);

        IMoniker* m = reinterpret_cast<IMoniker*>(0xdeadbeef);
        EXPECT_EQ(moniker->Reduce(nullptr, 0, nullptr, &m), E_FAIL);
        EXPECT_EQ(m, nullptr);
        m = reinterpret_cast<IMoniker*>(0xdeadbeef);
        EXPECT_EQ(moniker->ComposeWith(nullptr, FALSE, &m), E_FAIL);
        EXPECT_EQ(m, nullptr);
        m = reinterpret_cast<IMoniker*>(0xdeadbeef);
        EXPECT_EQ(moniker->Inverse(&m), E_FAIL);
        EXPECT_EQ(m, nullptr);
        IEnumMoniker* e = reinterpret_cast<IEnumMoniker*>(0xdeadbeef);
        EXPECT_EQ(moniker->Enum(TRUE, &e), E_FAIL);
        EXPECT_EQ(e, nullptr);
        EXPECT_EQ(moniker->BindToObject(nullptr, nullptr, IID_IUnknown, &out), E_FAIL);
        EXPECT_EQ(moniker->IsEqual(moniker.Get()), E_FAIL);
        EXPECT_EQ(binding->Abort(), E_FAIL);
        EXPECT_EQ(callback->OnStopBinding(S_OK, nullptr), E_FAIL);
        // No bind context: refused before anything happens.
        EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IStream, &out), E_INVALIDARG);
    }
    EXPECT_EQ(TMyMoniker::LiveCount(), before) << "the last release frees the moniker";
}

TEST(Moniker, DeliversTheStreamInMebibyteChunksOnceThenNothing)
{
    ComApartment com;
    const auto movie = Pattern(0x100000 * 2 + 12345, 3);
    ComPtr<IStream> registered = TStreamToIStream(std::make_unique<TMemoryStream>(movie));
    int takes = 0;
    auto take = [&](const std::string& url) -> ComPtr<IStream> {
        EXPECT_EQ(url, "the-url");
        ++takes;
        return std::exchange(registered, nullptr);
    };
    ComPtr<IMoniker> moniker = CreateMyMoniker("the-url", take);

    RecordingCallback first;
    EXPECT_EQ(Bind(moniker.Get(), first), S_OK);
    EXPECT_EQ(first.calls, (std::vector<std::string>{"start", "data 5", "data 5", "data 5", "stop"}));
    EXPECT_EQ(first.chunkSizes, (std::vector<DWORD>{0x100000, 0x100000, 12345}));
    EXPECT_TRUE(first.formatOk);
    EXPECT_EQ(first.stopResult, S_FALSE);
    EXPECT_TRUE(first.received == movie);

    RecordingCallback second;
    EXPECT_TRUE(FAILED(Bind(moniker.Get(), second)));
    EXPECT_TRUE(second.calls.empty()) << "no callbacks when nothing is left to deliver";
    EXPECT_EQ(takes, 2);
}

TEST(Moniker, ChunksACallerKeepsStayIntact)
{
    ComApartment com;
    const auto movie = Pattern(0x100000 * 3 + 10, 12);
    ComPtr<IStream> registered = TStreamToIStream(std::make_unique<TMemoryStream>(movie));
    ComPtr<IMoniker> moniker = CreateMyMoniker("u", [&](const std::string&) { return std::exchange(registered, nullptr); });
    RecordingCallback callback;
    callback.keepStreams = true;
    EXPECT_EQ(Bind(moniker.Get(), callback), S_OK);
    ASSERT_EQ(callback.kept.size(), 4u);
    // Every kept chunk is its own stream and still holds its own bytes afterwards.
    std::vector<uint8_t> again;
    for (size_t i = 0; i < callback.kept.size(); ++i) {
        for (size_t j = 0; j < i; ++j) EXPECT_NE(callback.kept[i].Get(), callback.kept[j].Get());
        LARGE_INTEGER zero{};
        callback.kept[i]->Seek(zero, STREAM_SEEK_SET, nullptr);
        auto bytes = ReadAll(callback.kept[i].Get());
        again.insert(again.end(), bytes.begin(), bytes.end());
    }
    EXPECT_TRUE(again == movie);
}

TEST(Moniker, StopsWhenTheCallerRefusesAChunk)
{
    ComApartment com;
    ComPtr<IStream> registered = TStreamToIStream(std::make_unique<TMemoryStream>(Pattern(0x100000 * 3, 4)));
    ComPtr<IMoniker> moniker = CreateMyMoniker("u", [&](const std::string&) { return std::exchange(registered, nullptr); });
    RecordingCallback callback;
    callback.answerToData = S_FALSE;
    EXPECT_EQ(Bind(moniker.Get(), callback), S_OK);
    EXPECT_EQ(callback.calls, (std::vector<std::string>{"start", "data 5", "stop"}));
}

// ---- the manager -------------------------------------------------------------------

TEST(ContentManagerWin, PutMovieRegistersACopyAndPointsTheControlTwice)
{
    ComApartment com;
    TContentManager manager;
    FakeControl control;
    const auto movie = Pattern(5000, 5);
    TMemoryStream callers(movie);
    callers.SetPosition(100);
    const std::string path = manager.PutMovieFromStream(control, callers);

    EXPECT_EQ(path, FormatPseudoPath(1));
    ASSERT_EQ(control.movies.size(), 2u);
    EXPECT_EQ(control.movies[0], Wide(std::string(kResetURL)));
    EXPECT_EQ(control.movies[1], Wide(path));
    EXPECT_EQ(manager.FindControl(1), &control);
    EXPECT_EQ(callers.Bytes().size(), movie.size()) << "the caller keeps its stream";

    ComPtr<IMoniker> moniker;
    EXPECT_EQ(manager.CreateURLMoniker(nullptr, Wide(PseudoAsURL(1)).c_str(), &moniker), S_OK);
    ASSERT_TRUE(IsOurMoniker(moniker.Get()));
    RecordingCallback callback;
    EXPECT_EQ(Bind(moniker.Get(), callback), S_OK);
    EXPECT_TRUE(callback.received == movie) << "the whole stream from its start";
    EXPECT_EQ(manager.RegisteredStreamCount(), 0u);
}

TEST(ContentManagerWin, LayersGoThroughLoadMovieAndNoCopyServesFromThePosition)
{
    ComApartment com;
    TContentManager manager;
    FakeControl control;
    TMemoryStream copied(Pattern(100, 6));
    manager.LoadLayerFromStream(control, 3, copied);
    auto owned = std::make_unique<TMemoryStream>(Pattern(100, 7));
    owned->SetPosition(40);
    const auto tail = std::vector<uint8_t>(owned->Bytes().begin() + 40, owned->Bytes().end());
    manager.LoadLayerUsingStream(control, 4, std::move(owned));

    ASSERT_EQ(control.layers.size(), 4u);
    EXPECT_EQ(control.layers[0], std::make_pair(3, Wide(std::string(kResetURL))));
    EXPECT_EQ(control.layers[1], std::make_pair(3, Wide(FormatPseudoPath(1))));
    EXPECT_EQ(control.layers[3], std::make_pair(4, Wide(FormatPseudoPath(2))));
    EXPECT_TRUE(control.movies.empty());

    ComPtr<IStream> second = manager.TakeStream(FormatPseudoPath(2));
    ASSERT_TRUE(second);
    EXPECT_EQ(ReadAll(second.Get()), tail);
    EXPECT_FALSE(manager.TakeStream(FormatPseudoPath(2)));
}

TEST(ContentManagerWin, CompanionRequestsUseTheHandlerThenTheBase)
{
    ComApartment com;
    TContentManager manager;
    std::vector<std::string> lines;
    SetContentManagerDiagnosticObserver([&](const std::string& line) { lines.push_back(line); });
    FakeControl control;
    TMemoryStream movie(Pattern(10, 8));
    manager.PutMovieFromStream(control, movie);
    const std::string companion = "file:///Z:/FromMemory/" + std::string(kMemoryContentMarker) + "/1/sub/other.swf";

    // The handler serves the companion movie; it sees the path without a leading '/'.
    control.hasHandler = true;
    control.resource = Pattern(777, 9);
    ComPtr<IMoniker> moniker;
    EXPECT_EQ(manager.CreateURLMoniker(nullptr, Wide(companion).c_str(), &moniker), S_OK);
    ASSERT_TRUE(IsOurMoniker(moniker.Get()));
    EXPECT_EQ(control.requested, (std::vector<std::string>{"sub/other.swf"}));
    RecordingCallback callback;
    EXPECT_EQ(Bind(moniker.Get(), callback), S_OK);
    EXPECT_TRUE(callback.received == control.resource);

    // A handler that leaves the stream empty leads to the base directory.
    control.resource.clear();
    control.base = L"C:\\movies";
    lines.clear();
    moniker.Reset();
    EXPECT_EQ(manager.CreateURLMoniker(nullptr, Wide(companion).c_str(), &moniker), S_OK);
    ASSERT_TRUE(moniker);
    EXPECT_FALSE(IsOurMoniker(moniker.Get()));
    EXPECT_EQ(lines, (std::vector<std::string>{"TContentManager.CreateURLMoniker: " + companion,
                                               "CreateURLMoniker, new url: C:/movies/sub/other.swf"}));

    // Without a handler, likewise.
    control.hasHandler = false;
    lines.clear();
    moniker.Reset();
    EXPECT_EQ(manager.CreateURLMoniker(nullptr, Wide(companion).c_str(), &moniker), S_OK);
    EXPECT_EQ(lines.back(), "CreateURLMoniker, new url: C:/movies/sub/other.swf");

    // Once the control is forgotten nothing is redirected any more.
    manager.ForgetControl(control);
    lines.clear();
    moniker.Reset();
    manager.CreateURLMoniker(nullptr, Wide(companion).c_str(), &moniker);
    EXPECT_EQ(lines.size(), 1u);
    SetContentManagerDiagnosticObserver(nullptr);
}

TEST(ContentManagerWin, PlaceholderAndPlainURLsGoToThePlatformUnchanged)
{
    ComApartment com;
    TContentManager manager;
    FakeControl control;
    TMemoryStream movie(Pattern(10, 10));
    manager.PutMovieFromStream(control, movie);
    std::vector<std::string> lines;
    SetContentManagerDiagnosticObserver([&](const std::string& line) { lines.push_back(line); });

    IMoniker* raw = reinterpret_cast<IMoniker*>(0xdeadbeef);
    const HRESULT viaManager = manager.CreateURLMoniker(nullptr, Wide(std::string(kResetURL)).c_str(), &raw);
    ComPtr<IMoniker> moniker;
    moniker.Attach(raw);
    ComPtr<IMoniker> direct;
    EXPECT_EQ(viaManager, ::CreateURLMoniker(nullptr, Wide(std::string(kResetURL)).c_str(), &direct));
    EXPECT_FALSE(IsOurMoniker(moniker.Get()));
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(manager.RegisteredStreamCount(), 1u) << "the placeholder never takes the movie";

    // A second binding of a taken registration is not ours any more: it is redirected.
    ComPtr<IMoniker> first;
    ASSERT_EQ(manager.CreateURLMoniker(nullptr, Wide(PseudoAsURL(1)).c_str(), &first), S_OK);
    RecordingCallback callback;
    EXPECT_EQ(Bind(first.Get(), callback), S_OK);
    ComPtr<IMoniker> again;
    manager.CreateURLMoniker(nullptr, Wide(PseudoAsURL(1)).c_str(), &again);
    EXPECT_FALSE(IsOurMoniker(again.Get()));
    EXPECT_EQ(manager.CreateURLMoniker(nullptr, L"x", nullptr), E_POINTER);
    SetContentManagerDiagnosticObserver(nullptr);
}

TEST(ContentManagerWin, FileRequestsUnderAPseudoPathOpenFilesUnderTheBase)
{
    ComApartment com;
    TContentManager manager;
    FakeControl control;
    TMemoryStream movie(Pattern(10, 11));
    manager.PutMovieFromStream(control, movie);
    const swfp::wintest::TempFolder temp;
    const std::wstring folder = temp.Path().wstring();
    std::filesystem::create_directory(temp.Path() / L"sub");
    swfp::wintest::WriteWholeFile(temp.Path() / L"sub" / L"data.txt", {'c', 'o', 'm', 'p', 'a', 'n', 'i', 'o', 'n'});
    control.base = folder;
    std::vector<std::string> lines;
    SetContentManagerDiagnosticObserver([&](const std::string& line) { lines.push_back(line); });

    const std::string request = "Z:\\FromMemory\\" + std::string(kMemoryContentMarker) + "\\1\\sub/data.txt";
    HANDLE h = manager.CreateFile(request.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[16] = {};
    DWORD n = 0;
    ReadFile(h, buf, sizeof buf, &n, nullptr);
    CloseHandle(h);
    EXPECT_EQ(std::string(buf, n), "companion");
    const std::string expected = WideToAnsi(folder) + "\\sub\\data.txt";
    EXPECT_EQ(lines, (std::vector<std::string>{"TContentManager.CreateFile: " + request,
                                               "TContentManager.CreateFile, new path: " + expected}));

    // The registered movie itself is never served as a file.
    h = manager.CreateFile(FormatPseudoPath(1).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);

    // Unknown ids and plain paths go to the platform unchanged.
    lines.clear();
    const std::wstring plainW = folder + L"\\sub\\data.txt";
    const std::string plain = WideToAnsi(plainW);
    h = manager.CreateFile(plain.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(lines.size(), 1u);
    const std::string unknown = "Z:\\FromMemory\\" + std::string(kMemoryContentMarker) + "\\9\\sub\\data.txt";
    EXPECT_EQ(manager.CreateFile(unknown.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    SetContentManagerDiagnosticObserver(nullptr);
}

TEST(ContentManagerWin, TheFirstManagerIsTheProcessManager)
{
    // The fallback exists only when no manager was made: here the test's own
    // managers come and go, so ContentManager() must never hand out a dead one.
    TContentManager* seen;
    {
        TContentManager manager;
        seen = &ContentManager();
        EXPECT_EQ(seen, &manager);
    }
    EXPECT_NE(&ContentManager(), seen);
}
