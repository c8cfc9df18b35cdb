// Static TLS of a mapped module built the way MSVC builds them (native TLS).
#include <gtest/gtest.h>

#include <barrier>
#include <optional>
#include <thread>

#include "flashrt/dll_loader_win.h"
#include "win_test_support.h"

extern "C" int ExeTlsValue(void);
extern "C" void SetExeTlsValue(int value);

using namespace flashrt;
using namespace loader_test;

namespace {

struct TlsModule {
    explicit TlsModule(std::span<const uint8_t> image)
        : loader(image),
          value(Export<int (*)()>(loader, "TlsValue")),
          set(Export<void (*)(int)>(loader, "SetTlsValue")),
          zeroFilled(Export<int (*)()>(loader, "TlsZeroFilled")),
          notifications(Export<LONG (*)(int)>(loader, "ThreadNotifications"))
    {
    }
    TDLLLoader loader;
    int (*value)();
    void (*set)(int);
    int (*zeroFilled)();
    LONG (*notifications)(int);
};

// What a thread sees of the module's and the program's TLS.
struct Seen {
    int value = 0, zeroFilled = 0, exe = 0;
};

TEST(StaticTls, EveryThreadGetsItsOwnCopyOfTheModulesInitialData)
{
    const auto image = ReadBesideProgram("flashrt_tls_module.dll");
    SetExeTlsValue(777);
    std::optional<TlsModule> m;
    // A thread that exists before the module is mapped. It runs its parts in turn
    // with this one: between two of its parts, it passes two steps.
    std::barrier step(2);
    const auto pass = [&] {
        step.arrive_and_wait();
        step.arrive_and_wait();
    };
    Seen mapped, afterLater;
    int afterUnload = 0;
    std::thread before([&] {
        SetExeTlsValue(555);
        pass();
        mapped = {m->value(), m->zeroFilled(), ExeTlsValue()};
        m->set(2);
        pass();
        afterLater = {m->value(), m->zeroFilled(), ExeTlsValue()};
        pass();
        afterUnload = ExeTlsValue();
    });
    step.arrive_and_wait();
    m.emplace(image);
    EXPECT_EQ(m->value(), 1234) << "the mapping thread";
    EXPECT_TRUE(m->zeroFilled());
    m->set(1);
    pass();
    EXPECT_EQ(mapped.value, 1234) << "a thread that existed before mapping";
    EXPECT_TRUE(mapped.zeroFilled);

    const LONG attached = m->notifications(0), detached = m->notifications(1);
    Seen later;
    std::thread([&] {
        later = {m->value(), m->zeroFilled(), ExeTlsValue()};
        m->set(3);
    }).join();
    EXPECT_EQ(later.value, 1234) << "a thread started after mapping";
    EXPECT_TRUE(later.zeroFilled);
    EXPECT_EQ(later.exe, 777);
    EXPECT_EQ(m->notifications(0), attached + 1) << "thread attach callback";
    EXPECT_EQ(m->notifications(1), detached + 1) << "thread detach callback";

    // Each thread kept its own value, and the program's own TLS is untouched.
    pass();
    EXPECT_EQ(m->value(), 1);
    EXPECT_EQ(afterLater.value, 2);
    EXPECT_EQ(ExeTlsValue(), 777);
    EXPECT_EQ(afterLater.exe, 555);

    m.reset();
    step.arrive_and_wait();
    before.join();
    // Unloaded: the program's TLS and new threads are as before.
    EXPECT_EQ(ExeTlsValue(), 777);
    EXPECT_EQ(afterUnload, 555);
    int exeOnNewThread = 0;
    std::thread([&] { exeOnNewThread = ExeTlsValue(); }).join();
    EXPECT_EQ(exeOnNewThread, 777);
}

}  // namespace
