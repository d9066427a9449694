// The browser's URL history object through the component system: CoCreateInstance of the history
// class, QueryInterface for IUrlHistoryStg2, ClearHistory, Release; FormatMessage for error texts.
// The component system must be initialised on the calling thread (ComApartment).
#pragma once

#include "platform/shell.h"

namespace platform {

class Win32UrlHistory final : public IUrlHistory {
 public:
  Outcome ClearHistory() override;
  std::string ErrorText(HResult code) override;
};

// CoInitialize for the lifetime of the object, CoUninitialize after it when it succeeded.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HResult Result() const { return result_; }

 private:
  HResult result_;
};

}  // namespace platform
