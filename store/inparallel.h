#pragma once

// Two halves of one bulk job run on two cores: the second on a thread of its own, the first on
// the calling thread, which then waits for the second. Jobs over the whole record store take
// tens of milliseconds on one core, and every workstation has at least two.

#include <future>
#include <system_error>
#include <utility>

namespace store {

// Work below this many bytes (or items) is not worth a thread: starting one costs about as
// much as scanning this much.
constexpr long long kParallelThreshold = 1 << 20;

// Runs first() here and second() on another thread when `parallel`, both here one after the
// other otherwise (or when no thread can be started). Returns when both have finished; an
// exception from either is passed on once both have stopped.
template <typename First, typename Second>
void InParallel(bool parallel, First&& first, Second&& second) {
  std::future<void> other;
  if (parallel) {
    try {
      other = std::async(std::launch::async, std::ref(second));
    } catch (const std::system_error&) {
      parallel = false;
    }
  }
  if (!parallel) {
    first();
    second();
    return;
  }
  try {
    first();
  } catch (...) {
    other.wait();
    throw;
  }
  other.get();
}

}  // namespace store
