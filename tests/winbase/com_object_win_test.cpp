#include "winbase/com_object_win.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <oleidl.h>

#include <thread>
#include <vector>

using namespace swfp::win;

namespace {

// A tiny object with two interfaces that records its own destruction.
class Probe final : public ComObject<IPersist, IOleWindow> {
public:
    explicit Probe(bool& destroyed) : destroyed_(destroyed) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override
    {
        IPersist* self = this;
        return QueryInterfaceFromTable(riid, out,
                                       {{IID_IUnknown, self},
                                        {IID_IPersist, self},
                                        {IID_IOleWindow, static_cast<IOleWindow*>(this)}});
    }
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~Probe() override { destroyed_ = true; }
    bool& destroyed_;
};

}  // namespace

// Counts, one identity, the table's answers, and deletion at the last release.
TEST(ComObject, AnswersItsTableWithOneIdentityAndDeletesItselfAtTheLastRelease)
{
    bool destroyed = false;
    auto* probe = new Probe(destroyed);
    IUnknown* identity = static_cast<IPersist*>(probe);
    EXPECT_EQ(identity->AddRef(), 2u);
    EXPECT_EQ(identity->Release(), 1u);
    struct Query { const IID* iid; HRESULT expected; void* pointer; };
    const Query queries[] = {
        {&IID_IUnknown, S_OK, identity},
        {&IID_IPersist, S_OK, static_cast<IPersist*>(probe)},
        {&IID_IOleWindow, S_OK, static_cast<IOleWindow*>(probe)},
        {&IID_IStream, E_NOINTERFACE, nullptr},
    };
    for (const Query& query : queries) {
        void* out = reinterpret_cast<void*>(0xdeadbeef);
        EXPECT_EQ(probe->QueryInterface(*query.iid, &out), query.expected);
        EXPECT_EQ(out, query.pointer);
    }
    // The IUnknown reached through the second interface is the same pointer.
    void* again = nullptr;
    ASSERT_EQ(static_cast<IOleWindow*>(probe)->QueryInterface(IID_IUnknown, &again), S_OK);
    EXPECT_EQ(again, identity);
    EXPECT_EQ(probe->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    // Each of the four answered queries counted once.
    EXPECT_EQ(identity->Release(), 4u);
    for (int held = 4; held > 1; --held) identity->Release();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(identity->Release(), 0u);
    EXPECT_TRUE(destroyed);
}

TEST(ComObject, CountsFromManyThreadsWithoutLosingAReference)
{
    bool destroyed = false;
    auto* probe = new Probe(destroyed);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([probe] {
            for (int i = 0; i < 20000; ++i) probe->AddRef();
            for (int i = 0; i < 20000; ++i) probe->Release();
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(probe->Release(), 0u);
    EXPECT_TRUE(destroyed);
}
