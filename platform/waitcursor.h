#pragma once

namespace platform {

// Shows the wait cursor over every window of the program while a command works without
// serving events (reading every record, writing a large file), and takes it away at the end
// of the scope or at Done(). Off the application's thread (tests, tools) it does nothing.
// A message box or dialog shown meanwhile through Dialogs has the normal cursor.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
  void Done();

 private:
  bool shown_ = false;
};

// The same as two calls, for a wait that a callback begins and ends.
bool BeginWaitCursor();
void EndWaitCursor();

// While a dialog asks the user something, the normal cursor instead of a command's wait
// cursor: the dialog answers.
class NormalCursorWhileAsking {
 public:
  NormalCursorWhileAsking();
  ~NormalCursorWhileAsking();
  NormalCursorWhileAsking(const NormalCursorWhileAsking&) = delete;
  NormalCursorWhileAsking& operator=(const NormalCursorWhileAsking&) = delete;

 private:
  bool shown_ = false;
};

}  // namespace platform
