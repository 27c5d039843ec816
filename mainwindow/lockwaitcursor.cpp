#include "mainwindow/lockwaitcursor.h"

#include <mutex>

#include "platform/waitcursor.h"
#include "store/datafiles.h"

namespace mainwindow {

void ShowWaitCursorWhileLockIsBusy() {
  // Once per process: a change on another thread may be reading the notice meanwhile.
  static std::once_flag installed;
  std::call_once(installed, [] {
    store::SetLockWaitNotice({[] { platform::BeginWaitCursor(); }, platform::EndWaitCursor});
  });
}

}  // namespace mainwindow
