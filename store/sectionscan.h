#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "store/profilescan.h"

namespace store {

// The sections of a record store's bytes in one sequential pass, on two threads at once (one
// per half of the file), and the section each key of a list names. This is how every bulk
// read of the store finds its records: RecordTable keeps the values it is given, the search
// folds them while they are still in the cache.
class SectionScan {
 public:
  // One section as the scan finds it, valid during the visit only.
  struct Section {
    int part;             // 0: the first half of the file, 1: the second
    QByteArrayView name;  // as spelled in its header
    const char* bytes;    // the bytes scanned
    const char* end;      // and their end
    // The values of the fields asked for, by column: offset << profile::kLengthBits | length
    // into bytes, profile::kMissing where the section has no such key.
    const quint64* spans;

    std::optional<QByteArrayView> Value(int column) const {
      if (spans[column] == profile::kMissing)
        return std::nullopt;
      return profile::SpanView(bytes, spans[column]);
    }
  };
  // Called once per section, in file order within each part, from the part's own thread.
  using Visit = std::function<void(const Section&)>;

  SectionScan(const QByteArray& bytes, const profile::FieldColumns& columns, const Visit& visit);

  // The number of sections in a part; sections are numbered in file order, the first part's
  // first.
  qint32 Sections(int part) const { return qint32(headers_[size_t(part)].size()); }
  qint32 Sections() const { return Sections(0) + Sections(1); }

  // The section each key names (spaces at both ends ignored, letter case ignored; of two
  // sections of one name the first), -1 for a key without one.
  std::vector<qint32> SectionsOf(const QStringList& keys) const;

 private:
  struct Header {
    quint64 hash;
    quint32 nameBegin;  // in names_ of its part
    quint32 nameSize;
  };

  QByteArray bytes_;
  bool parallel_ = false;
  std::array<std::vector<Header>, 2> headers_;
  // Each part's section names one after the other. The lookups of SectionsOf go all over;
  // these few megabytes answer them much sooner than the store's many.
  std::array<std::vector<char>, 2> names_;
};

}  // namespace store
