#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// Large buffers kept from one command to the next. Memory freshly taken from the system costs
// a page fault per page when it is first written, more than reading or filling 30 MB itself,
// so a command that fills a large buffer (the record store read, the CSV export) takes the one
// its last run left behind, once no one holds that any more. A buffer still in use (a
// snapshot of the store a window keeps) is never written over: sharing is seen from the
// array's reference count, and a kept buffer only ever shares its data with the array that
// was handed out.

// A buffer of exactly `size` bytes (contents unspecified) that was kept under `slot` and is
// no longer held elsewhere, or a null array when there is none. Small sizes are never kept.
QByteArray TakeSpareBuffer(const QString& slot, qsizetype size);

// Keeps a reference to `bytes` under `slot` (replacing what was kept there), so the next
// TakeSpareBuffer for the slot can reuse its memory once every other holder has let go.
void KeepSpareBuffer(const QString& slot, const QByteArray& bytes);

// Lets go of every kept buffer.
void ReleaseSpareBuffers();

}  // namespace store
