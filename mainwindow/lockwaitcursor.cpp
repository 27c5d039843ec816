#include "mainwindow/lockwaitcursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>

#include "store/datafiles.h"

namespace mainwindow {
namespace {

// Changes may also run off the window's thread (tests, tools); only the window's thread may
// touch the cursor.
bool OnWindowThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return qobject_cast<QGuiApplication*>(app) && QThread::currentThread() == app->thread();
}

}  // namespace

void ShowWaitCursorWhileLockIsBusy() {
  store::SetLockWaitNotice({[] {
                              if (!OnWindowThread())
                                return;
                              QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
                              // The wait serves no events: hand the cursor to the window
                              // system now rather than after the wait.
                              QGuiApplication::sync();
                            },
                            [] {
                              if (OnWindowThread())
                                QGuiApplication::restoreOverrideCursor();
                            }});
}

}  // namespace mainwindow
