#include "reports/tablelayout.h"

#include <QtMath>
#include <algorithm>

namespace reports {

int ColumnStepFor(int columnCount) {
  if (columnCount <= 5)
    return 200;
  return qRound(1000.0 / (columnCount - 1));
}

int SlotLeft(int slot, int columnStep) {
  return 10 + slot * columnStep;
}

int FilledSlots(int columnCount) {
  return std::clamp(columnCount - 1, 0, kColumnSlots);
}

}  // namespace reports
