#include "platform/waitcursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QThread>

namespace platform {
namespace {

// Only the application's own thread may touch the cursor.
bool OnWindowThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return qobject_cast<QGuiApplication*>(app) && QThread::currentThread() == app->thread();
}

}  // namespace

bool BeginWaitCursor() {
  if (!OnWindowThread())
    return false;
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  // The command serves no events: hand the cursor to the window system now, not after it.
  QGuiApplication::sync();
  return true;
}

void EndWaitCursor() {
  if (OnWindowThread())
    QGuiApplication::restoreOverrideCursor();
}

WaitCursor::WaitCursor() : shown_(BeginWaitCursor()) {}

WaitCursor::~WaitCursor() {
  Done();
}

void WaitCursor::Done() {
  if (shown_)
    EndWaitCursor();
  shown_ = false;
}

NormalCursorWhileAsking::NormalCursorWhileAsking() {
  shown_ = OnWindowThread() && QGuiApplication::overrideCursor() != nullptr;
  if (shown_)
    QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
}

NormalCursorWhileAsking::~NormalCursorWhileAsking() {
  if (shown_)
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace platform
