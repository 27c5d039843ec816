#pragma once

#include <QString>

#include "store/fieldtable.h"

namespace testsupport {

// A record with a name, a first name and a town; every other field empty.
inline store::RecordValues Values(const QString& name, const QString& firstName,
                                  const QString& town) {
  store::RecordValues values;
  values[store::kName] = name;
  values[store::kVorname] = firstName;
  values[store::kOrt] = town;
  return values;
}

}  // namespace testsupport
