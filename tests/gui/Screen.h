// What the window tests do on the screen, through the system only: real mouse and key input,
// waiting for windows to appear or go, reading message boxes, and screenshots written as BMP files.
// Everything here is safe to call from a thread other than the one that owns the windows.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace nqgui {

// Failures seen by the driving thread, reported by the test's own thread at the end.
class Findings {
 public:
  void Fail(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.push_back(what);
  }
  void Expect(bool condition, const std::string& what) {
    if (!condition) Fail(what);
  }
  std::vector<std::string> Failures() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failures_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> failures_;
};

// Mouse and keys, as the hardware would send them.
void MoveTo(int x, int y);
void Click(int x, int y, bool right = false);
void DoubleClick(int x, int y);
void Drag(int fromX, int fromY, int toX, int toY);
void PressKey(WORD key);
// `modifier` held while `key` is pressed, e.g. Ctrl+A.
void PressKeyWith(WORD modifier, WORD key);

// Polls until `condition` holds or `milliseconds` pass.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);
// Lets the window draw what it has just been told.
void Settle(int milliseconds = 250);

RECT WindowRect(HWND window);
RECT ClientRect(HWND window);
std::string TextOf(HWND window);

// A visible top-level window of `windowClass` owned by `owner`, or null.
HWND FindOwned(HWND owner, const char* windowClass);

// What a message box shows.
struct MessageBoxView {
  std::string caption, text;
  bool ok = false, cancel = false, yes = false, no = false, icon = false;
};
MessageBoxView ReadMessageBox(HWND box);

// Writes the screen under `window` to `folder`\`name`.bmp; the path, or empty on failure.
std::string Screenshot(HWND window, const std::string& folder, const std::string& name);

}  // namespace nqgui
