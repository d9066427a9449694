#include "platform/sim/SimUrlHistory.h"

namespace platform {

SimUrlHistory::SimUrlHistory() {
  SucceedWith(0);
  // A few texts as Windows gives them, for the codes tests use most.
  texts_[static_cast<HResult>(0x80040154u)] = "Class not registered";
  texts_[static_cast<HResult>(0x80070005u)] = "Access is denied.";
}

void SimUrlHistory::SucceedWith(HResult status) { answer_ = Outcome{true, true, status}; }
void SimUrlHistory::ClearFailsWith(HResult status) { answer_ = Outcome{true, true, status}; }
void SimUrlHistory::CannotBeCreated(HResult code) { answer_ = Outcome{false, false, code}; }
void SimUrlHistory::LacksInterface() { answer_ = Outcome{true, false, 0}; }

IUrlHistory::Outcome SimUrlHistory::ClearHistory() {
  ++requests_;
  if (answer_.created && answer_.hasInterface) {
    ++clears_;
    if (answer_.result >= 0) urls.clear();
  }
  return answer_;
}

std::string SimUrlHistory::ErrorText(HResult code) {
  const auto found = texts_.find(code);
  return found == texts_.end() ? std::string() : found->second;
}

}  // namespace platform
