#pragma once
// Static TLS for a module mapped by the in-memory loader, as the system loader
// gives it to the libraries it loads: a TLS index of the module's own, a copy of
// the module's initial data for every thread (those that exist when it is mapped
// and those started later), the module's TLS callbacks on thread start and end,
// and everything given back at unload.
//
// The index must be one the system will not give to another library, and new
// threads must be announced; neither can be had without the system loader. So
// each module borrows both from a small library of our own that carries just a
// TLS directory (tls_slot_helper.c): one copy of it is written to a temporary
// file and loaded per module. The system then reserves an index for the copy,
// grows every thread's TLS array to hold it and calls the copy on every thread
// start and end. The copy's block at that index in each thread is swapped for
// the module's block: for the threads found running at mapping time (enumerated
// with Toolhelp, their arrays reached through their thread environment blocks),
// and for later threads in the copy's thread-attach call, before the thread's
// own code runs. At thread end and at unload the copy's block is put back, so
// that the system frees only what it allocated.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "flashrt/pe_tls.h"

namespace flashrt {

class StaticTls {
public:
    // Claims an index, writes it into the image at the module's TLS index and
    // gives every running thread its block. Raises std::runtime_error with the
    // reason when the platform cannot give the module a slot of its own.
    StaticTls(const pe::TlsLayout& layout, uint8_t* image);
    ~StaticTls();
    StaticTls(const StaticTls&) = delete;
    StaticTls& operator=(const StaticTls&) = delete;

    uint32_t Index() const { return index_; }
    // Thread callbacks run only between the module's process attach and detach,
    // as under the system loader.
    void EnableThreadCallbacks(bool enabled);

private:
    struct ThreadBlock {
        DWORD threadId;
        void* ours;
        void* original;
    };
    static void Notify(void* context, DWORD reason);
    void Release() noexcept;
    void* NewBlock() const;
    void GiveBlock(void* teb, DWORD threadId);
    void TakeBack(void* teb, DWORD threadId);
    void RunCallbacks(DWORD reason) const;

    pe::TlsLayout layout_;
    uint8_t* image_;
    uint32_t index_ = 0;
    HMODULE helper_ = nullptr;
    std::wstring helperPath_;
    bool callbacks_ = false;
    std::vector<ThreadBlock> blocks_;  // under the process-wide lock
};

}  // namespace flashrt
