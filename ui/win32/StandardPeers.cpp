// The standard controls, subclassed: the memo.
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

// ---- memo

class TMemoPeer final : public TStandardPeer {
 public:
  explicit TMemoPeer(TMemo& memo) : TStandardPeer(memo), memo_(memo) {}
  void Create(HWND parent) override {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | WS_TABSTOP;
    if (memo_.ReadOnly) style |= ES_READONLY;
    CreateStandard(parent, WC_EDITA, style, WS_EX_CLIENTEDGE);
    SetWindowTextA(hwnd_, memo_.Text().c_str());
  }
  HBRUSH OnCtlColor(HDC dc) override {
    const TColor back = EffectiveColor(memo_);
    SetBkColor(dc, back);
    SetTextColor(dc, TextColorOf(memo_));
    return BrushOf(back);
  }

 protected:
  void Update(unsigned what) override {
    if (what & kChText) SetWindowTextA(hwnd_, memo_.Text().c_str());
    TStandardPeer::Update(what);
  }

 private:
  TMemo& memo_;
};

}  // namespace

std::unique_ptr<TPeer> MakeMemoPeer(TMemo& control) { return std::make_unique<TMemoPeer>(control); }

}  // namespace ui::win32
