#include "platform/checklist.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace platform {

void SetAllChecked(QListWidget* list, bool checked) {
  QAbstractItemModel* model = list->model();
  const Qt::CheckState state = checked ? Qt::Checked : Qt::Unchecked;
  const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
  {
    const QSignalBlocker blocker(model);
    for (int i = 0; i < list->count(); ++i) {
      QListWidgetItem* item = list->item(i);
      if (item->flags() != flags)
        item->setFlags(flags);
      item->setCheckState(state);
    }
  }
  if (list->count() > 0)
    Q_EMIT model->dataChanged(model->index(0, 0), model->index(list->count() - 1, 0));
}

}  // namespace platform
