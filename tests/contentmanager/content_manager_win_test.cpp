// The COM half of the content manager under Windows (or Wine): the moniker's chunked
// delivery to the caller's status callback and the manager's answers to moniker and
// file requests, and a registration served once. The whole way from a control to the
// runtime (the placeholder first, a copy of the whole stream, companions from a handler
// that serves or declines, or from the base folder) is tested with the stand-in
// runtime in tests/flashhost_win; here what it cannot show.
#include <gtest/gtest.h>

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "flashrt/content_manager_win.h"
#include "flashrt/moniker_win.h"
#include "flashrt/stream_adapter_win.h"
#include "winbase/com_object_win.h"
#include "tests/support_win/test_files_win.h"
#include "winbase/handles_win.h"

using Microsoft::WRL::ComPtr;
using namespace flashrt;

namespace {

constexpr size_t kMiB = 0x100000;

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
    ULONG got = 0;
    while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0) out.insert(out.end(), buf, buf + got);
    return out;
}

// Records what the moniker tells the caller, in order: "start", "data <flags> <size>",
// "stop <result>".
class RecordingCallback final : public IBindStatusCallback {
public:
    std::vector<std::string> calls;
    std::vector<uint8_t> received;
    std::vector<ComPtr<IStream>> kept;  // every chunk's stream, when keepStreams
    HRESULT answerToData = S_OK;
    bool keepStreams = false;
    bool formatOk = true;
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
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override
    {
        calls.push_back("start");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override
    {
        calls.push_back("stop " + std::to_string(result));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override
    {
        calls.push_back("data " + std::to_string(flags) + " " + std::to_string(size));
        formatOk = formatOk && format && format->cfFormat == 0 && format->ptd == nullptr &&
                   format->dwAspect == DVASPECT_CONTENT && format->lindex == -1 && format->tymed == TYMED_ISTREAM &&
                   medium && medium->tymed == TYMED_ISTREAM && medium->pUnkForRelease == nullptr && medium->pstm;
        if (!formatOk) return answerToData;
        if (keepStreams) kept.emplace_back(medium->pstm);
        const auto bytes = ReadAll(medium->pstm);
        formatOk = bytes.size() == size;
        received.insert(received.end(), bytes.begin(), bytes.end());
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
    // The caller's callback is the registered one again afterwards.
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
    bool handlerThrows = false;  // otherwise the application has no handler
    std::vector<std::string> requested;
    std::vector<std::pair<int32_t, std::wstring>> layers;

    std::wstring ContentBase() override { return base; }
    bool LoadExternalResource(const std::string& relativePath, TMemoryStream&) override
    {
        if (!handlerThrows) return false;
        requested.push_back(relativePath);
        throw std::runtime_error("the application's handler failed");
    }
    void SetMovieURL(const std::wstring&) override {}
    void LoadMovieURL(int32_t layer, const std::wstring& url) override { layers.emplace_back(layer, url); }
};

bool IsOurMoniker(IMoniker* moniker)
{
    ComPtr<IBinding> binding;
    return moniker && SUCCEEDED(moniker->QueryInterface(IID_PPV_ARGS(&binding)));
}

// A manager in a COM apartment whose diagnostic lines are collected until the test ends.
class Manager : public ::testing::Test {
protected:
    Manager() { SetContentManagerDiagnosticObserver([this](const std::string& line) { lines.push_back(line); }); }
    ~Manager() override { SetContentManagerDiagnosticObserver(nullptr); }
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    ComPtr<IMoniker> MonikerFor(const std::wstring& url)
    {
        ComPtr<IMoniker> moniker;
        EXPECT_EQ(manager.CreateURLMoniker(nullptr, url.c_str(), &moniker), S_OK) << WideToAnsi(url);
        return moniker;
    }

    std::vector<std::string> lines;
    TContentManager manager;
    FakeControl control;
};

}  // namespace

struct Delivery {
    const char* name;
    size_t size;
    HRESULT answerToData;  // the caller's answer to every chunk
    bool keepStreams;      // the caller holds on to every chunk's stream
    std::vector<size_t> chunks;
};

class MonikerDelivery : public ::testing::TestWithParam<Delivery> {};

TEST_P(MonikerDelivery, ChunksOfAMebibyteOnceThenNothing)
{
    const Delivery& d = GetParam();
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    const long before = TMyMoniker::LiveCount(), streamsBefore = TISequentialStreamImplBasedOnTStream::LiveCount();
    {
        const auto movie = Pattern(d.size, 3);
        ComPtr<IStream> registered = TStreamToIStream(std::make_unique<TMemoryStream>(movie));
        int takes = 0;
        ComPtr<IMoniker> moniker = CreateMyMoniker("the-url", [&](const std::string& url) {
            EXPECT_EQ(url, "the-url");
            ++takes;
            return std::exchange(registered, nullptr);
        });
        void* out = nullptr;
        EXPECT_EQ(moniker->BindToStorage(nullptr, nullptr, IID_IStream, &out), E_INVALIDARG);
        EXPECT_EQ(takes, 0) << "no bind context: refused before anything happens";

        RecordingCallback first;
        first.answerToData = d.answerToData;
        first.keepStreams = d.keepStreams;
        EXPECT_EQ(Bind(moniker.Get(), first), S_OK);
        std::vector<std::string> calls{"start"};
        size_t sent = 0;
        for (size_t chunk : d.chunks) {
            calls.push_back("data 5 " + std::to_string(chunk));  // first and last notification at once
            sent += chunk;
        }
        calls.push_back("stop " + std::to_string(S_FALSE));
        EXPECT_EQ(first.calls, calls);
        EXPECT_TRUE(first.formatOk);
        EXPECT_TRUE(first.received ==
                    std::vector<uint8_t>(movie.begin(), movie.begin() + static_cast<ptrdiff_t>(sent)));
        // Kept chunks are streams of their own that still hold their own bytes afterwards.
        std::vector<uint8_t> again;
        for (const ComPtr<IStream>& chunk : first.kept) {
            LARGE_INTEGER zero{};
            chunk->Seek(zero, STREAM_SEEK_SET, nullptr);
            const auto bytes = ReadAll(chunk.Get());
            again.insert(again.end(), bytes.begin(), bytes.end());
        }
        EXPECT_EQ(again == movie, d.keepStreams);

        RecordingCallback second;
        EXPECT_TRUE(FAILED(Bind(moniker.Get(), second)));
        EXPECT_TRUE(second.calls.empty()) << "no callbacks when nothing is left to deliver";
        EXPECT_EQ(takes, 2);
    }
    EXPECT_EQ(TMyMoniker::LiveCount(), before) << "the last release frees the moniker";
    EXPECT_EQ(TISequentialStreamImplBasedOnTStream::LiveCount(), streamsBefore) << "and the stream it delivered";
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(
    Callers, MonikerDelivery,
    ::testing::Values(Delivery{"KeepsEveryChunk", kMiB * 3 + 10, S_OK, true, {kMiB, kMiB, kMiB, 10}},
                      Delivery{"RefusesTheFirstChunk", kMiB * 3, S_FALSE, false, {kMiB}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Manager, AStreamTakenWithoutACopyIsServedFromItsPosition)
{
    auto owned = std::make_unique<TMemoryStream>(Pattern(100, 7));
    owned->SetPosition(40);
    const std::vector<uint8_t> tail(owned->Bytes().begin() + 40, owned->Bytes().end());
    EXPECT_EQ(manager.LoadLayerUsingStream(control, 4, std::move(owned)), FormatPseudoPath(1));
    EXPECT_EQ(control.layers.back(), std::make_pair(4, AnsiToWide(FormatPseudoPath(1))));
    ComPtr<IStream> layer = manager.TakeStream(FormatPseudoPath(1));
    ASSERT_TRUE(layer);
    EXPECT_EQ(ReadAll(layer.Get()), tail);
}

TEST_F(Manager, AHandlerThatFailsLeadsToTheBaseUntilTheControlIsForgotten)
{
    TMemoryStream movie(Pattern(10, 8));
    manager.PutMovieFromStream(control, movie);
    control.base = L"C:\\movies";
    control.handlerThrows = true;
    const std::wstring companion =
        AnsiToWide("file:///Z:/FromMemory/" + std::string(kMemoryContentMarker) + "/1/sub/other.swf");
    lines.clear();
    EXPECT_FALSE(IsOurMoniker(MonikerFor(companion).Get()));
    EXPECT_EQ(lines, (std::vector<std::string>{"TContentManager.CreateURLMoniker: " + WideToAnsi(companion),
                                               "CreateURLMoniker, new url: C:/movies/sub/other.swf"}));
    EXPECT_EQ(control.requested, std::vector<std::string>{"sub/other.swf"});

    manager.ForgetControl(control);
    lines.clear();
    MonikerFor(companion);
    EXPECT_EQ(lines.size(), 1u) << "nothing is redirected for a forgotten control";
}

TEST_F(Manager, FileRequestsUnderAPseudoPathOpenFilesUnderTheBase)
{
    TMemoryStream movie(Pattern(10, 11));
    manager.PutMovieFromStream(control, movie);
    const swfp::wintest::TempFolder temp;
    std::filesystem::create_directory(temp.Path() / L"sub");
    swfp::wintest::WriteWholeFile(temp.Path() / L"sub" / L"data.txt", {'x'});
    control.base = temp.Path().wstring();
    auto opens = [&](const std::string& name) {
        return static_cast<bool>(swfp::win::UniqueFile(
            manager.CreateFile(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
    };
    const std::string pseudo = "Z:\\FromMemory\\" + std::string(kMemoryContentMarker);
    const std::string expected = WideToAnsi(control.base) + "\\sub\\data.txt";

    EXPECT_TRUE(opens(pseudo + "\\1\\sub/data.txt"));
    EXPECT_EQ(lines.back(), "TContentManager.CreateFile, new path: " + expected);
    EXPECT_FALSE(opens(FormatPseudoPath(1))) << "the registered movie is no file";
    EXPECT_FALSE(opens(pseudo + "\\9\\sub\\data.txt")) << "an unknown id is not redirected";
    lines.clear();
    EXPECT_TRUE(opens(expected)) << "plain paths go to the platform unchanged";
    EXPECT_EQ(lines.size(), 1u);
}
