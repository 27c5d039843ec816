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

struct Benchmark {
  QString name;
  Measure measure;
  int order = 100;  // printing order within a record count; lower first
};

std::vector<Benchmark>& Registry();

// Registers a measurement at start-up, from any .cpp file of the benchmark program:
//   static bench::Register reg("my_command", [](const bench::Context& c) { ... });
struct Register {
  Register(const char* name, Measure measure, int order = 100);
};

template <typename F>
double TimeMs(F&& f) {
  QElapsedTimer timer;
  timer.start();
  f();
  return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Puts every file written so far on the disk (untimed, before a change is measured): the
// lock of a change is forced to disk, which makes it wait for the bytes of the change before,
// as it never does seconds after that change.
void SettleDisk();

// Reads a file once, at cat speed (into a buffer kept between calls): the yardstick every
// figure is set against.
double RawReadMs(const QString& path);

}  // namespace bench
