// Dialogs for tests: each message box and input dialog is recorded and answered from a script.
// A dialog nobody expected is answered with Cancel (No for a Yes/No box, OK for a one-button box)
// and recorded, so the test sees it.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/Dialogs.h"

namespace ui {

class ScriptedDialogs final : public IDialogs {
 public:
  struct Shown {
    std::string text;     // message text, or the input dialog's prompt
    std::string caption;
    unsigned flags = 0;   // message box flags; ~0u for the input dialog
    int maxLength = 0;
  };

  // Queues the answer to the next message box (kIdOk, kIdCancel, kIdYes or kIdNo).
  void AnswerMessage(int answer) { messageAnswers_.push_back(answer); }
  // Queues the answer to the next input dialog: OK with `text`, or Cancel.
  void AnswerInput(const std::string& text) { inputAnswers_.push_back({true, text}); }
  void CancelInput() { inputAnswers_.push_back({false, std::string()}); }

  int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override;
  bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                  int maxLength) override;

  std::vector<Shown> shown;
  // Runs as each dialog is shown, before it is answered: tests look at the window then.
  std::function<void(const Shown&)> onShow;

 private:
  std::deque<int> messageAnswers_;
  std::deque<std::pair<bool, std::string>> inputAnswers_;
};

}  // namespace ui
