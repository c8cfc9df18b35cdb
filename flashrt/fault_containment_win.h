#pragma once
// Calls into a mapped module (its entry routine, its class-object entry, its
// factory) that end the call, not the process, when the module faults.
// MinGW has no __try: a vectored handler sees the fault first and sends the
// thread back to the call's start, abandoning the module's frames unwound.
#include <type_traits>
#include <utility>

namespace flashrt {

// Calls fn(context). True when it returned; false when a hardware fault (access
// violation, illegal instruction, division by zero, ...) raised on this thread by
// code the system loader does not know (the mapped module, or no module at all)
// cut it short. Faults inside libraries the system loaded are left to their own
// handlers, which such libraries may install on purpose.
bool CallContainingFaults(void (*fn)(void*), void* context);

template <typename F>
bool ContainFaults(F&& f)
{
    using Fn = std::remove_reference_t<F>;
    return CallContainingFaults([](void* c) { (*static_cast<Fn*>(c))(); },
                                const_cast<void*>(static_cast<const void*>(&f)));
}

}  // namespace flashrt
