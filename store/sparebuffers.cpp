#include "store/sparebuffers.h"

#include <array>
#include <atomic>
#include <mutex>

namespace store {
namespace {

// Below this a fresh allocation is cheap and comes from the heap's own free lists.
constexpr qsizetype kSpareMinimum = 256 * 1024;
// The record store, the name index, the deleted-records file and an export: enough slots
// that alternating reads of them do not push each other out.
constexpr int kSpareSlots = 6;

struct Slot {
  QString name;
  QByteArray bytes;  // shares its data with the array last handed out for the slot
  quint64 used = 0;  // for giving up the least recently used slot
};

struct Pool {
  std::mutex mutex;
  std::array<Slot, kSpareSlots> slots;
  quint64 clock = 0;
};

Pool& ThePool() {
  static Pool pool;
  return pool;
}

}  // namespace

QByteArray TakeSpareBuffer(const QString& slot, qsizetype size) {
  if (size < kSpareMinimum)
    return QByteArray();
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.mutex);
  for (Slot& kept : pool.slots) {
    if (kept.name != slot)
      continue;
    // Only the slot refers to the data: nobody reads it any more, and while the mutex is held
    // nobody can take a new reference. A buffer far larger than asked for is not reused, so
    // a file that shrank does not pin its old size.
    if (!kept.bytes.isDetached() || kept.bytes.capacity() < size ||
        kept.bytes.capacity() > 2 * size)
      return QByteArray();
    // The last other holder let go of it on another thread, perhaps: its reads of the bytes
    // come before the writes that follow here.
    std::atomic_thread_fence(std::memory_order_acquire);
    QByteArray bytes = std::move(kept.bytes);
    kept = Slot();
    bytes.resize(size);  // within the capacity: no new memory
    return bytes;
  }
  return QByteArray();
}

void KeepSpareBuffer(const QString& slot, const QByteArray& bytes) {
  if (bytes.size() < kSpareMinimum)
    return;
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.mutex);
  Slot* target = nullptr;
  for (Slot& kept : pool.slots) {
    if (kept.name == slot) {
      target = &kept;
      break;
    }
    if (!target || kept.used < target->used)
      target = &kept;
  }
  target->name = slot;
  target->bytes = bytes;
  target->used = ++pool.clock;
}

void ReleaseSpareBuffers() {
  Pool& pool = ThePool();
  std::lock_guard<std::mutex> guard(pool.mutex);
  for (Slot& kept : pool.slots)
    kept = Slot();
}

}  // namespace store
