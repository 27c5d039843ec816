#pragma once

class QListWidget;

namespace platform {

// Ticks or unticks every entry of a check-list box (and makes each one tickable), with one
// change notice for the whole list instead of one per entry: lists here hold up to 100 000.
void SetAllChecked(QListWidget* list, bool checked);

}  // namespace platform
