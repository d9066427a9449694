#include "platform/win32/Win32UrlHistory.h"

#include <windows.h>
#include <objbase.h>
#include <urlhist.h>

#include <string>

#include "platform/win32/ComPtr.h"

namespace platform {
namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
constexpr CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
constexpr IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};
constexpr DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;  // 5

}  // namespace

IUrlHistory::Outcome Win32UrlHistory::ClearHistory() {
  Outcome outcome;
  ComPtr<IUnknown> object;
  const HRESULT created = ::CoCreateInstance(kClsidUrlHistory, nullptr, kClassContext, IID_IUnknown, object.Out());
  if (FAILED(created)) {
    outcome.result = created;
    return outcome;
  }
  outcome.created = true;
  // ClearHistory is the tenth entry of the interface's table, after IUnknown's three, the five
  // of IUrlHistoryStg and AddUrlAndNotify.
  ComPtr<IUrlHistoryStg2> history;
  if (FAILED(object->QueryInterface(kIidUrlHistoryStg2, history.Out())) || history.Get() == nullptr) return outcome;
  outcome.hasInterface = true;
  outcome.result = history->ClearHistory();
  return outcome;
}

std::string Win32UrlHistory::ErrorText(HResult code) {
  char* buffer = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text;
  if (length != 0 && buffer != nullptr) text.assign(buffer, length);
  if (buffer != nullptr) ::LocalFree(buffer);
  // The system's texts end in a line break.
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.pop_back();
  return text;
}

ComApartment::ComApartment() : result_(::CoInitialize(nullptr)) {}

ComApartment::~ComApartment() {
  if (SUCCEEDED(result_)) ::CoUninitialize();
}

}  // namespace platform
