// Calls into the plug-in with a check, on 32-bit x86, that the callee left the caller's stack pointer as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

namespace statshost {

#if defined(__i386__)
// Pushes `count` 32-bit words (the memory image of the arguments, first argument first),
// calls `fn`, and stores in *espDelta how far the stack pointer right after the call is
// from where it stood right before it: 0 for a caller-cleans (cdecl) callee, the size of
// the arguments for a callee that pops them itself. Returns EAX.
extern "C" std::uint32_t velmor_call_cdecl(const void* fn, const std::uint32_t* words, int count,
                                           std::int32_t* espDelta);
#endif

// Prints "cdecl: <name> esp unchanged" (or "... esp moved by N") on 32-bit x86.
void ReportStack(const char* name, std::int32_t delta);

// Calls `fn(args...)`. On 32-bit x86 the arguments are laid out as a cdecl caller pushes
// them and the stack pointer is checked across the call; elsewhere a plain call.
template <typename R, typename... Params, typename... Args>
R CallChecked(const char* name, R (*fn)(Params...), Args... args) {
#if defined(__i386__)
    std::vector<std::uint32_t> words;
    auto push = [&words](auto value) {
        static_assert(sizeof value % 4 == 0, "stack slots are 32-bit words");
        std::uint32_t w[sizeof value / 4];
        std::memcpy(w, &value, sizeof value);
        words.insert(words.end(), w, w + sizeof value / 4);
    };
    (push(static_cast<Params>(args)), ...);
    (void)push;
    std::int32_t delta = 0;
    const std::uint32_t eax = velmor_call_cdecl(reinterpret_cast<const void*>(fn), words.data(),
                                                static_cast<int>(words.size()), &delta);
    ReportStack(name, delta);
    if constexpr (std::is_void_v<R>) {
        (void)eax;
    } else if constexpr (std::is_pointer_v<R>) {
        return reinterpret_cast<R>(static_cast<std::uintptr_t>(eax));
    } else {
        return static_cast<R>(eax);
    }
#else
    (void)name;
    return fn(static_cast<Params>(args)...);
#endif
}

}  // namespace statshost
