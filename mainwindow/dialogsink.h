#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"
#include "store/messages.h"

namespace mainwindow {

// Shows the store's messages as plain message boxes over a window.
class DialogSink : public store::MessageSink {
 public:
  explicit DialogSink(QWidget* parent = nullptr) : parent_(parent) {}
  void ShowMessage(const QString& text) override {
    platform::Dialogs::Get().Message(parent_, text);
  }

 private:
  QPointer<QWidget> parent_;
};

}  // namespace mainwindow
