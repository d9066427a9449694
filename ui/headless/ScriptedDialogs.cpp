#include "ui/headless/ScriptedDialogs.h"

namespace ui {
namespace {

// The first `count` letters of a UTF-8 text, as an entry field that takes at most that many keeps
// them.
std::string FirstLetters(const std::string& text, int count) {
  std::size_t end = 0;
  for (int letter = 0; letter < count && end < text.size(); ++letter) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return text.substr(0, end);
}

}  // namespace

int ScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  shown.push_back(Shown{text, caption, flags, 0});
  if (onShow) onShow(shown.back());
  if (messageAnswers_.empty()) {
    switch (flags & 0xF) {
      case kMbOk: return kIdOk;
      case kMbYesNo: return kIdNo;
      default: return kIdCancel;
    }
  }
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
  if (ok) value = FirstLetters(text, maxLength);
  return ok;
}

}  // namespace ui
