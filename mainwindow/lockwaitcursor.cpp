#include "mainwindow/lockwaitcursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>
#include <mutex>

#include "store/datafiles.h"

namespace mainwindow {
namespace {

// Changes may also run off the window's thread (tests, tools); only the window's thread may
// touch the cursor.
bool OnWindowThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return qobject_cast<QGuiApplication*>(app) && QThread::currentThread() == app->thread();
}

void BeginWait() {
  if (!OnWindowThread())
    return;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  // The wait serves no events: hand the cursor to the window system now, not after the wait.
  QGuiApplication::sync();
}

void EndWait() {
  if (OnWindowThread())
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace

void ShowWaitCursorWhileLockIsBusy() {
  // Once per process: a change on another thread may be reading the notice meanwhile.
  static std::once_flag installed;
  std::call_once(installed, [] { store::SetLockWaitNotice({BeginWait, EndWait}); });
}

}  // namespace mainwindow
