// Timestamps of the backend's presents, sleeps and keys for the benchmark, written to standard
// error only by the separately built traced executable; the game itself prints nothing.
#pragma once

#include <cstdint>

#ifdef BRELVOXAN_SDL_TRACE
#include <chrono>
#include <cstdio>
#endif

namespace host::sdl {

// One line "trace MICROSECONDS WHAT ARGUMENT", on the monotonic clock that other processes on
// the machine can read too.
inline void trace([[maybe_unused]] const char* what, [[maybe_unused]] uint32_t argument = 0) {
#ifdef BRELVOXAN_SDL_TRACE
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  std::fprintf(stderr, "trace %lld %s %u\n", static_cast<long long>(now.count()), what,
               static_cast<unsigned>(argument));
#endif
}

}  // namespace host::sdl
