#include "ui/headless/ScriptedDialogs.h"

namespace ui {

int ScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  shown.push_back(Shown{text, caption, flags, 0});
  if (onShow) onShow(shown.back());
  if (messageAnswers_.empty()) return (flags & 0xF) == kMbOk ? kIdOk : kIdCancel;
  const int answer = messageAnswers_.front();
  messageAnswers_.pop_front();
  return answer;
}

bool ScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                                 int maxLength) {
  shown.push_back(Shown{prompt, caption, ~0u, maxLength});
  if (onShow) onShow(shown.back());
  if (inputAnswers_.empty()) return false;
  auto [ok, text] = inputAnswers_.front();
  inputAnswers_.pop_front();
  if (ok) value = text.substr(0, static_cast<std::size_t>(maxLength));
  return ok;
}

}  // namespace ui
