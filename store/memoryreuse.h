#pragma once

namespace store {

// Commands over all records take large buffers and give them back: a snapshot of the record
// store, the table of all records, the packed search, a report. Left to its defaults, the C
// library returns buffers of that size to the system at once and takes fresh pages for the
// next command, and on a virtual machine the faults of thirty fresh megabytes cost more than
// reading the file into them. Kept in the program's heap, they are reused by the next command.
// The price is memory: what a large command freed stays with the program, up to a limit.
// Called once at start, before the first window; does nothing where the C library has no such
// setting.
void KeepFreedMemoryForReuse();

}  // namespace store
