// Static TLS of a mapped module built the way MSVC builds them (native TLS).
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>

#include "flashrt/dll_loader_win.h"
#include "win_test_support.h"

extern "C" int ExeTlsValue(void);
extern "C" void SetExeTlsValue(int value);

using namespace flashrt;
using namespace loader_test;

namespace {

// A thread that runs jobs on request, so that it can exist before a module is mapped.
class JobThread {
public:
    JobThread() : thread_([this] { Loop(); }) {}
    ~JobThread()
    {
        Run([this] { done_ = true; });
        thread_.join();
    }
    template <typename F>
        requires(!std::is_void_v<std::invoke_result_t<F>>)
    auto Run(F f) -> std::invoke_result_t<F>
    {
        std::invoke_result_t<F> result{};
        Post([&] { result = f(); });
        return result;
    }
    void Run(std::function<void()> f) { Post(f); }

private:
    void Post(std::function<void()> f)
    {
        std::unique_lock lock(mutex_);
        job_ = std::move(f);
        changed_.notify_all();
        changed_.wait(lock, [this] { return !job_; });
    }
    void Loop()
    {
        std::unique_lock lock(mutex_);
        while (!done_) {
            changed_.wait(lock, [this] { return bool(job_); });
            job_();
            job_ = nullptr;
            changed_.notify_all();
        }
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> job_;
    bool done_ = false;
    std::thread thread_;
};

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

TEST(StaticTls, EveryThreadGetsItsOwnCopyOfTheModulesInitialData)
{
    const auto image = ReadBesideProgram("flashrt_tls_module.dll");
    SetExeTlsValue(777);
    JobThread before;  // runs before the module is mapped
    before.Run([] { SetExeTlsValue(555); });
    {
        TlsModule m(image);
        EXPECT_EQ(m.value(), 1234) << "the mapping thread";
        EXPECT_TRUE(m.zeroFilled());
        m.set(1);
        EXPECT_EQ(before.Run(m.value), 1234) << "a thread that existed before mapping";
        EXPECT_TRUE(before.Run(m.zeroFilled));
        before.Run([&] { m.set(2); });

        const LONG attached = m.notifications(0), detached = m.notifications(1);
        int later = 0, laterZero = 0, laterExe = 0;
        std::thread([&] {
            later = m.value();
            laterZero = m.zeroFilled();
            laterExe = ExeTlsValue();
            m.set(3);
        }).join();
        EXPECT_EQ(later, 1234) << "a thread started after mapping";
        EXPECT_TRUE(laterZero);
        EXPECT_EQ(laterExe, 777);
        EXPECT_EQ(m.notifications(0), attached + 1) << "thread attach callback";
        EXPECT_EQ(m.notifications(1), detached + 1) << "thread detach callback";

        // Each thread kept its own value, and the program's own TLS is untouched.
        EXPECT_EQ(m.value(), 1);
        EXPECT_EQ(before.Run(m.value), 2);
        EXPECT_EQ(ExeTlsValue(), 777);
        EXPECT_EQ(before.Run(ExeTlsValue), 555);

    }
    // Unloaded: the program's TLS and new threads are as before.
    EXPECT_EQ(ExeTlsValue(), 777);
    EXPECT_EQ(before.Run(ExeTlsValue), 555);
    int exeOnNewThread = 0;
    std::thread([&] { exeOnNewThread = ExeTlsValue(); }).join();
    EXPECT_EQ(exeOnNewThread, 777);
}

}  // namespace
