// The program's exceptions: one general error that carries the message shown
// to the user, and the stop of a running calculation; and the assertion of
// the program's own invariants.
//
// Two tiers of checks:
//   - bad input (a file, a typed value, a mesh, a linear system) is checked in
//     every build and raises ZemError with the cause: which file and why,
//     which key, which line, which value;
//   - a broken invariant that only a mistake in the program can cause (a
//     column outside the system, a domain element without its domain) is a
//     ZEM_ASSERT: checked in debug builds, where it stops the program at the
//     fault, and gone from release builds. Where a release build must not go
//     on with a broken state, the check stays a raise of std::logic_error,
//     which the windows show as an internal error.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace zem {

// The general error of the program. The message is the Russian text the
// windows show as it stands (UTF-8).
class ZemError : public std::runtime_error {
public:
    explicit ZemError(const std::string& message) : std::runtime_error(message) {}
};

// Raised by a progress step once the user has asked to stop the calculation.
class EBreakCalcule : public ZemError {
public:
    EBreakCalcule() : ZemError("Расчет прерван") {}
};

// Reports a failed assertion on the standard error stream and aborts.
[[noreturn]] inline void AssertFailed(const char* condition, const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: assertion failed: %s (%s)\n", file, line, what, condition);
    std::fflush(stderr);
    std::abort();
}

}  // namespace zem

// ZEM_ASSERT(condition, "what must hold"): a debug-only check of an invariant.
#ifdef NDEBUG
#define ZEM_ASSERT(condition, what) ((void)sizeof((condition) ? 1 : 0))  // not evaluated
#else
#define ZEM_ASSERT(condition, what) \
    ((condition) ? (void)0 : ::zem::AssertFailed(#condition, what, __FILE__, __LINE__))
#endif
