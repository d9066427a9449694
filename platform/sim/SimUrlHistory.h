// An in-memory URL history object. Tests choose how it answers: it clears and reports success,
// reports a failure status, cannot be created (with an HRESULT), or lacks IUrlHistoryStg2.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace platform {

class SimUrlHistory final : public IUrlHistory {
 public:
  SimUrlHistory();

  // The visited addresses the object holds; a successful clear empties them.
  std::vector<std::string> urls;

  // How the next requests are answered.
  void SucceedWith(HResult status = 0);       // created, has the interface, ClearHistory gives `status` (>= 0)
  void ClearFailsWith(HResult status);        // created, has the interface, ClearHistory gives `status` (< 0)
  void CannotBeCreated(HResult code);         // CoCreateInstance fails with `code`
  void LacksInterface();                      // created, but QueryInterface fails
  // The platform's text for a code; codes without one give an empty text.
  void SetErrorText(HResult code, const std::string& text) { texts_[code] = text; }

  int Requests() const { return requests_; }
  int Clears() const { return clears_; }

  Outcome ClearHistory() override;
  std::string ErrorText(HResult code) override;

 private:
  Outcome answer_;
  std::map<HResult, std::string> texts_;
  int requests_ = 0;
  int clears_ = 0;
};

}  // namespace platform
