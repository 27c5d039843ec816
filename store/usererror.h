#pragma once

#include <QString>
#include <exception>

namespace store {

// An error meant for the user, with its German text. Thrown where a command cannot go on
// (a data file that cannot be written, a file that cannot be created); caught once at the
// window's handler boundary and shown as an error box. The command ends there.
class UserError : public std::exception {
 public:
  explicit UserError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}
  const QString& message() const { return message_; }
  const char* what() const noexcept override { return utf8_.constData(); }

 private:
  QString message_;
  QByteArray utf8_;
};

}  // namespace store
