#pragma once

#include <QString>

#include "store/usererror.h"

namespace testsupport {

// The message a command throws as store::UserError, or an empty text when it does not throw.
template <typename F>
QString ThrownMessage(F f) {
  try {
    f();
  } catch (const store::UserError& e) {
    return e.message();
  }
  return {};
}

}  // namespace testsupport
