#pragma once

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <vector>

#include "bench/benchdata.h"

namespace bench {

// What a measurement gets: the generated address book of this round.
struct Context {
  const benchdata::AddressBook& book;
};

// One measurement: runs the operation once and returns the milliseconds it took. Work that
// is not to be timed (preparing a file, undoing a change) stays outside the timed part; use
// TimeMs for the part that is.
using Measure = std::function<double(const Context&)>;

// What a writing command is set against besides the raw read: the durable write of the same
// bytes (DurableWriteMs), measured in the same round.
enum class Floor {
  None,   // a command that only reads
  Store,  // writes the record store (durable_write)
  Lists,  // writes the name index and the deleted-records file (durable_write_lists)
};

struct Benchmark {
  QString name;
  Measure measure;
  int order = 100;  // printing order within a record count; lower first
  Floor floor = Floor::None;
};

std::vector<Benchmark>& Registry();

// Registers a measurement at start-up, from any .cpp file of the benchmark program:
//   static bench::Register reg("my_command", [](const bench::Context& c) { ... });
struct Register {
  Register(const char* name, Measure measure, int order = 100, Floor floor = Floor::None);
};

template <typename F>
double TimeMs(F&& f) {
  QElapsedTimer timer;
  timer.start();
  f();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The time the disk needs to take the bytes of a writing command durably, the floor of that
// command: each file of the floor's kind as it stands in dir now is written to a new file in
// dir, forced to disk, renamed over a copy of it, and the directory forced to disk.
double DurableWriteMs(const QString& dir, Floor floor);

// A user leaves a moment between two commands; what a change leaves to that moment (a large
// replaced file closed on a thread of its own) is done by then. A fixed pause, not a wait for
// any particular thing.
void PauseBetweenCommands();

// Reads a file once, at cat speed (into a buffer kept between calls): the yardstick every
// figure is set against.
double RawReadMs(const QString& path);

}  // namespace bench
