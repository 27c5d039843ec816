#include "placement/tregisterforms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLockFile>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "platform/dialogs.h"
#include "store/usererror.h"

namespace placement {
namespace {

constexpr Qt::WindowStates kNotNormal =
    Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

bool IsResizable(const QWidget& window) {
  if (window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
    return false;
  return window.minimumSize() != window.maximumSize();
}

bool IsNormal(const QWidget& window) {
  return !(window.windowState() & kNotNormal);
}

int StateValue(const QWidget& window) {
  if (window.windowState() & Qt::WindowMinimized)
    return 1;
  if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
    return 2;
  return 0;
}

void ApplyState(QWidget& window, int value) {
  const Qt::WindowStates kept = window.windowState() & ~kNotNormal;
  switch (value) {
    case 0:
      window.setWindowState(kept);
      break;
    case 1:
      window.setWindowState(kept | Qt::WindowMinimized);
      break;
    case 2:
      window.setWindowState(kept | Qt::WindowMaximized);
      break;
    default:
      break;  // no such state: the window keeps its own
  }
}

// How much of a window's top edge must lie on a screen for its title bar to be grabbed.
constexpr int kGrabWidth = 40;
constexpr int kGrabHeight = 20;

// A placement stored at a workstation with other screens (a second monitor this one lacks, a
// larger resolution) would open the window where no one can see or move it. Such a window is
// moved onto the primary screen, keeping its size; a window whose top edge shows on some
// screen, even in part, stays where it was put.
void KeepReachable(QWidget& window) {
  const QRect top(window.pos(), QSize(window.width(), kGrabHeight));
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect shown = screen->availableGeometry().intersected(top);
    if (shown.width() >= std::min(kGrabWidth, window.width()) && !shown.isEmpty())
      return;
  }
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary)
    return;
  const QRect area = primary->availableGeometry();
  const int x =
      std::clamp(window.x(), area.left(), std::max(area.left(), area.right() + 1 - window.width()));
  const int y =
      std::clamp(window.y(), area.top(), std::max(area.top(), area.bottom() + 1 - kGrabHeight));
  window.move(x, y);
}

// A stored width or height too small to grab the window by cannot have come from a closed
// window; the window keeps its own. One larger than all screens together shrinks to them.
// The window's own extent (also what a missing value reads as) is never changed here.
int UsableExtent(int stored, int current, int smallest, int screens) {
  if (stored == current || stored < smallest)
    return current;
  return screens > 0 ? std::min(stored, screens) : stored;
}

// A window's far edge must stay within the integer range: a position beyond the largest extent
// a window can have is held at it (no screen reaches that far, so the window is then moved onto
// one like any other placed off every screen).
int WithinReach(int stored) {
  return std::clamp(stored, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

QString Section(const QString& name) {
  return QStringLiteral("Forms\\") + name;
}

// Each value is applied only when it differs from the window's own: moving or resizing a
// window marks it as placed, and Qt then no longer places a never-shown window itself
// (a dialog centred over its parent, a window sized to its contents).
void RestorePlace(TRegIniFile& regIni, QWidget& window, const QString& section) {
  const int top = WithinReach(regIni.ReadInteger(section, QStringLiteral("Top"), window.y()));
  if (top != window.y())
    window.move(window.x(), top);
  const int left = WithinReach(regIni.ReadInteger(section, QStringLiteral("Left"), window.x()));
  if (left != window.x())
    window.move(left, window.y());

  if (!IsResizable(window))
    return;
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QSize screens = primary ? primary->availableVirtualGeometry().size() : QSize();
  const int height =
      UsableExtent(regIni.ReadInteger(section, QStringLiteral("Height"), window.height()),
                   window.height(), kGrabHeight, screens.height());
  if (height != window.height())
    window.resize(window.width(), height);
  const int width =
      UsableExtent(regIni.ReadInteger(section, QStringLiteral("Width"), window.width()),
                   window.width(), kGrabWidth, screens.width());
  if (width != window.width())
    window.resize(width, window.height());
  const int state = regIni.ReadInteger(section, QStringLiteral("State"), StateValue(window));
  if (state != StateValue(window))
    ApplyState(window, state);
}

// Restores one window's tag and placement.
void RestoreWindow(TRegIniFile& regIni, QWidget& window, const QString& name) {
  const QString section = Section(name);
  const int tag = window.property("Tag").toInt();
  const int storedTag = regIni.ReadInteger(section, QStringLiteral("Tag"), tag);
  if (storedTag != tag)
    window.setProperty("Tag", storedTag);

  // Even a restore that stops at a faulty value leaves this window where it can be reached.
  try {
    RestorePlace(regIni, window, section);
  } catch (...) {
    KeepReachable(window);
    throw;
  }
  KeepReachable(window);
}

void StoreWindow(TRegIniFile& regIni, const QWidget& window, const QString& name) {
  const QString section = Section(name);
  regIni.WriteInteger(section, QStringLiteral("Tag"), window.property("Tag").toInt());
  // A maximized or minimized window keeps the normal placement stored last time.
  if (!IsNormal(window))
    return;
  regIni.WriteInteger(section, QStringLiteral("Top"), window.y());
  regIni.WriteInteger(section, QStringLiteral("Left"), window.x());
  if (!IsResizable(window))
    return;
  regIni.WriteInteger(section, QStringLiteral("Height"), window.height());
  regIni.WriteInteger(section, QStringLiteral("Width"), window.width());
  regIni.WriteInteger(section, QStringLiteral("State"), StateValue(window));
}

// QSettings waits without end for the lock of the file it writes. A lock that can never be
// taken (a stale one left in a directory that is no longer writable) would keep the program
// from closing, so the lock is tried first, for a bounded time, before anything is written.
constexpr int kLockWaitMs = 2000;

bool StoreCanBeLocked(const QSettings& key) {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
  if (key.format() == QSettings::NativeFormat)
    return true;  // the registry and the preferences service have no lock file
#endif
  if (key.fileName().isEmpty())
    return true;
  QLockFile lock(key.fileName() + QStringLiteral(".lock"));
  return lock.tryLock(kLockWaitMs);
}

QString ErrorText(const std::exception& error) {
  if (const auto* userError = dynamic_cast<const store::UserError*>(&error)) {
    return userError->message();
  }
  return QString::fromUtf8(error.what());
}

}  // namespace

QString AppNameFromTitle(const QString& title) {
  QString name = title;
  // Only ASCII letters are folded, so no other character can pass for "ver.".
  QString lower = name;
  for (QChar& ch : lower) {
    if (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z'))
      ch = QChar(ch.unicode() + 32);
  }
  const int at = lower.indexOf(QLatin1String("ver."));
  if (at >= 0)
    name.truncate(at);
  int start = 0;
  while (start < name.size() && name[start] == QLatin1Char(' '))
    ++start;
  int end = name.size();
  while (end > start && name[end - 1] == QLatin1Char(' '))
    --end;
  return name.mid(start, end - start);
}

TRegisterForms::TRegisterForms(QObject* owner)
    : QObject(owner),
      company_(QStringLiteral("Unbekannte Firma")),
      appName_(platform::Dialogs::ApplicationTitle()),
      keyOpener_(OpenNativeKey) {}

void TRegisterForms::AddWindow(QWidget* window, const QString& componentName) {
  if (!window)
    return;
  windows_.append({window, componentName});
}

void TRegisterForms::Loaded() {
  if (!windows_.isEmpty() && windows_.first().widget && !mainWindow_) {
    mainWindow_ = windows_.first().widget;
    mainWindow_->installEventFilter(this);
  }
  appName_ = AppNameFromTitle(platform::Dialogs::ApplicationTitle());
}

QString TRegisterForms::KeyPath() const {
  return QStringLiteral("SOFTWARE\\") + company_ + QLatin1Char('\\') + appName_;
}

void TRegisterForms::ReadPlacements() {
  const std::unique_ptr<QSettings> key = keyOpener_(rootKey_, company_, appName_);
  TRegIniFile regIni(*key);
  // The windows are restored even when the host's event failed; its error is raised after.
  std::exception_ptr eventError;
  if (onRead_) {
    try {
      onRead_(*this, regIni);
    } catch (...) {
      eventError = std::current_exception();
    }
  }
  if (enabled_) {
    for (const Window& window : windows_) {
      if (!window.widget)
        continue;
      RestoreWindow(regIni, *window.widget,
                    window.name.isEmpty() ? window.widget->objectName() : window.name);
    }
  }
  if (eventError)
    std::rethrow_exception(eventError);
}

void TRegisterForms::WritePlacements() {
  const std::unique_ptr<QSettings> key = keyOpener_(rootKey_, company_, appName_);
  QString firstSection;
  if (enabled_) {
    for (const Window& window : windows_) {
      if (window.widget) {
        firstSection = Section(window.name.isEmpty() ? window.widget->objectName() : window.name);
        break;
      }
    }
  }
  const auto failed = [&] {
    return store::UserError(QStringLiteral("Erzeugung von Schl\u00fcssel %1 misslungen")
                                .arg(firstSection.isEmpty() ? KeyPath() : firstSection));
  };
  // Nothing may be written into a store that cannot be locked: the key's own clean-up would
  // wait for the lock.
  if (!StoreCanBeLocked(*key))
    throw failed();

  TRegIniFile regIni(*key);
  std::exception_ptr eventError;
  if (onWrite_) {
    try {
      onWrite_(*this, regIni);
    } catch (...) {
      eventError = std::current_exception();
    }
  }
  if (enabled_) {
    for (const Window& window : windows_) {
      if (!window.widget)
        continue;
      StoreWindow(regIni, *window.widget,
                  window.name.isEmpty() ? window.widget->objectName() : window.name);
    }
  }
  key->sync();
  if (key->status() == QSettings::AccessError)
    throw failed();
  if (eventError)
    std::rethrow_exception(eventError);
}

bool TRegisterForms::eventFilter(QObject* watched, QEvent* event) {
  if (watched != mainWindow_)
    return QObject::eventFilter(watched, event);

  if (event->type() == QEvent::Show && !event->spontaneous()) {
    // Restore before the window's own show handling, so that it already sees the placement.
    try {
      ReadPlacements();
    } catch (const std::exception& error) {
      // Shown once the window is up: the window opens all the same.
      const QString text = ErrorText(error);
      QTimer::singleShot(0, this, [this, text] { ShowError(text); });
    }
    return false;
  }

  if (event->type() == QEvent::Close) {
    // The window's own close handling (its close question) decides first; placements are
    // stored only when the close goes on. The event is handed to the window directly, so
    // that no other filter sees it twice.
    static_cast<QObject*>(watched)->event(event);
    if (event->isAccepted()) {
      try {
        WritePlacements();
      } catch (const std::exception& error) {
        // The close goes on, so that the program stays closable.
        ShowError(ErrorText(error));
      }
    }
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void TRegisterForms::ShowError(const QString& text) {
  platform::Dialogs::Get().Error(mainWindow_, text);
}

}  // namespace placement
