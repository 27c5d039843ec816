#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "placement/regini.h"

class QWidget;

namespace placement {

class TRegisterForms;

// Called with the component and the open application key before placements are restored
// (OnRead) or stored (OnWrite); lets the host keep values of its own under the same key.
using TRegisterEvent = std::function<void(TRegisterForms& sender, TRegIniFile& regIni)>;

// Restores the placement of every window of the application when the main window is shown and
// stores it when the main window closes, under
//   <root>\SOFTWARE\<Company>\<AppName>\Forms\<component name>
// with the text values "Tag", "Top", "Left" and, for a resizable window, "Height", "Width"
// and "State".
//
// The windows covered are the ones passed to AddWindow, in the order of the calls, which is
// meant to be the order in which the application created them; the first one is the main
// window. A window's component name is the name given to AddWindow, or its objectName when
// none was given. Windows that were destroyed meanwhile are skipped.
//
// Loaded() hooks the main window with an event filter:
// - its (non-spontaneous) show event restores all placements first; the window's own show
//   handling runs afterwards. An error while restoring (a value stored with another type)
//   stops the restore there and is shown in an error box once the event loop runs again; the
//   main window opens all the same.
// - its close event goes to the window's own close handling first (the close question, which
//   may refuse the close); only when the close goes on are all placements stored. An error
//   while storing is shown in an error box and the close goes on.
//
// Geometry: "Top"/"Left" are the window's position including its frame (QWidget::pos), and
// "Height"/"Width" are the size the window is resized to (QWidget::size). The frame of a window
// is not known before it is first shown, so storing the frame-less size is what lets the
// size come back unchanged at the next start. A window counts as resizable unless it has a
// fixed size (equal minimum and maximum size) or the fixed-size dialog hint. "State" 0 is the
// normal state, 1 minimized, 2 maximized. "Tag" is kept in the window's dynamic property
// "Tag" (an int, 0 when unset).
//
// Placements stored elsewhere or by hand stay usable: a window whose top edge would show on no
// screen is moved onto the primary one, a stored width or height too small to grab the window
// by is passed over, and one larger than all screens together shrinks to them. Storing first
// tries the lock of the store's file for a bounded time; when it cannot be had, nothing is
// stored and the error is shown, so that the close never waits on it.
class TRegisterForms : public QObject {
  Q_OBJECT

 public:
  // Defaults: Enabled false, RootKey CurrentUser, no events, a placeholder Company, and the
  // application title as AppName. The owner is normally the main window.
  explicit TRegisterForms(QObject* owner = nullptr);

  const QString& Company() const { return company_; }
  void SetCompany(const QString& company) { company_ = company; }
  THKEY RootKey() const { return rootKey_; }
  void SetRootKey(THKEY rootKey) { rootKey_ = rootKey; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  void SetOnRead(TRegisterEvent handler) { onRead_ = std::move(handler); }
  void SetOnWrite(TRegisterEvent handler) { onWrite_ = std::move(handler); }
  const QString& AppName() const { return appName_; }

  // Where the application key is opened; OpenNativeKey unless replaced (tests use IniFileKeys).
  void SetKeyOpener(KeyOpener opener) { keyOpener_ = std::move(opener); }

  // Adds a window of the application, in creation order; the first is the main window.
  void AddWindow(QWidget* window, const QString& componentName = QString());

  // Run once after the properties are set and at least the main window was added: hooks the
  // main window and derives AppName from the application title.
  void Loaded();

  // The application key path below the root: SOFTWARE\<Company>\<AppName>.
  QString KeyPath() const;

  // Restores or stores the placement of every window; run by the hooks. They throw
  // store::UserError when the store cannot be read or written.
  void ReadPlacements();
  void WritePlacements();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Window {
    QPointer<QWidget> widget;
    QString name;
  };

  void ShowError(const QString& text);

  QString company_;
  THKEY rootKey_ = THKEY::CurrentUser;
  bool enabled_ = false;
  TRegisterEvent onRead_;
  TRegisterEvent onWrite_;
  QString appName_;
  KeyOpener keyOpener_;
  QList<Window> windows_;
  QPointer<QWidget> mainWindow_;
};

// The application key name for an application title: the title cut at the first "ver."
// (letter case ignored), then without leading and trailing blanks.
QString AppNameFromTitle(const QString& title);

}  // namespace placement
