// Every control's accessible object: what screen readers, magnifiers and automation tools see
// through WM_GETOBJECT. The object reads the widget state (names, roles, states, parts) through
// the control's peer; the controls we draw have nothing else to tell those tools what they are,
// and the system's objects for the standard controls carry no names.
#include <oleacc.h>

#include <string>
#include <vector>

#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

// Spelled out: the tool chain's IID_IAccessible symbol does not hold this value.
constexpr GUID kIidAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
constexpr GUID kIidDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

long SystemRole(TRole role) {
  switch (role) {
    case TRole::Client: return ROLE_SYSTEM_CLIENT;
    case TRole::TitleBar: return ROLE_SYSTEM_TITLEBAR;
    case TRole::Grouping: return ROLE_SYSTEM_GROUPING;
    case TRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case TRole::CheckButton: return ROLE_SYSTEM_CHECKBUTTON;
    case TRole::Link: return ROLE_SYSTEM_LINK;
    case TRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
    case TRole::Text: return ROLE_SYSTEM_TEXT;
    case TRole::List: return ROLE_SYSTEM_LIST;
    case TRole::ListItem: return ROLE_SYSTEM_LISTITEM;
    case TRole::Outline: return ROLE_SYSTEM_OUTLINE;
    case TRole::OutlineItem: return ROLE_SYSTEM_OUTLINEITEM;
    case TRole::Graphic: return ROLE_SYSTEM_GRAPHIC;
    case TRole::None: break;
  }
  return ROLE_SYSTEM_CLIENT;
}

long SystemState(const TAccessible& a) {
  struct Pair {
    unsigned ours;
    long system;
  } static constexpr pairs[] = {
      {kAsFocused, STATE_SYSTEM_FOCUSED},       {kAsSelected, STATE_SYSTEM_SELECTED},
      {kAsUnavailable, STATE_SYSTEM_UNAVAILABLE}, {kAsInvisible, STATE_SYSTEM_INVISIBLE},
      {kAsChecked, STATE_SYSTEM_CHECKED},       {kAsFocusable, STATE_SYSTEM_FOCUSABLE},
      {kAsSelectable, STATE_SYSTEM_SELECTABLE}, {kAsExpanded, STATE_SYSTEM_EXPANDED},
      {kAsCollapsed, STATE_SYSTEM_COLLAPSED},   {kAsReadOnly, STATE_SYSTEM_READONLY},
  };
  long state = 0;
  for (const Pair& p : pairs) {
    if (a.state & p.ours) state |= p.system;
  }
  if (a.role == TRole::Link) state |= STATE_SYSTEM_LINKED;
  return state;
}

// A BSTR of a UTF-8 text; null for an empty one.
BSTR ToBstr(const std::string& text) {
  if (text.empty()) return nullptr;
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result != nullptr) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, length);
  return result;
}

HRESULT Text(const std::string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = ToBstr(text);
  return *out != nullptr ? S_OK : S_FALSE;
}

TPeer* PeerOf(const TControl* control) {
  return control != nullptr ? dynamic_cast<TPeer*>(control->Peer()) : nullptr;
}

}  // namespace

// Child ids: 0 the control itself, then its parts (1 to PartCount), then its child controls.
class TAccessibleObject final : public IAccessible {
 public:
  explicit TAccessibleObject(TPeer* peer) : peer_(peer) {}
  void Disconnect() { peer_ = nullptr; }

  // ---- IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualGUID(iid, kIidUnknown) || IsEqualGUID(iid, kIidDispatch) || IsEqualGUID(iid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // ---- IDispatch: the clients call the interface directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // ---- IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (parent == nullptr) return E_POINTER;
    *parent = nullptr;
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    if (TPeer* up = PeerOf(peer_->Control().Parent())) {
      *parent = up->AccessibleDispatch();
      return *parent != nullptr ? S_OK : S_FALSE;
    }
    // A form: the system's object for its window frame.
    if (peer_->Hwnd() == nullptr) return S_FALSE;
    return AccessibleObjectFromWindow(peer_->Hwnd(), static_cast<DWORD>(OBJID_WINDOW), kIidDispatch,
                                      reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (count == nullptr) return E_POINTER;
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    *count = Parts() + static_cast<long>(peer_->Control().AccessibleChildren().size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    long id = 0;
    if (!Id(child, id) || id == CHILDID_SELF) return E_INVALIDARG;
    if (id <= Parts()) return S_FALSE;  // a part has no object of its own
    TPeer* childPeer = PeerOf(ChildControl(id));
    *out = childPeer != nullptr ? childPeer->AccessibleDispatch() : nullptr;
    return *out != nullptr ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Describe(child, [&](const TAccessible& a) { return Text(a.name, name); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Describe(child, [&](const TAccessible& a) { return Text(a.value, value); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override { return Text(std::string(), text); }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override { return Text(std::string(), text); }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override {
    return Text(std::string(), text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (topic != nullptr) *topic = 0;
    return Text(std::string(), file);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    return Describe(child, [&](const TAccessible& a) { return Long(SystemRole(a.role), role); });
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    return Describe(child, [&](const TAccessible& a) { return Long(SystemState(a), state); });
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Describe(child, [&](const TAccessible& a) { return Text(a.defaultAction, action); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (focus == nullptr) return E_POINTER;
    VariantInit(focus);
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    HWND focused = GetFocus();
    HWND own = peer_->Hwnd();
    if (own == nullptr || focused == nullptr) return S_FALSE;
    if (focused == own) return Long(peer_->FocusedPart(), focus);
    const std::vector<TControl*> children = peer_->Control().AccessibleChildren();
    for (std::size_t i = 0; i < children.size(); ++i) {
      TPeer* childPeer = PeerOf(children[i]);
      HWND window = childPeer != nullptr ? childPeer->Hwnd() : nullptr;
      if (window != nullptr && (window == focused || IsChild(window, focused))) {
        focus->vt = VT_DISPATCH;
        focus->pdispVal = childPeer->AccessibleDispatch();
        return S_OK;
      }
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (selection == nullptr) return E_POINTER;
    VariantInit(selection);
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    for (long part = 1; part <= Parts(); ++part) {
      if (peer_->Control().Part(static_cast<int>(part - 1)).state & kAsSelected) return Long(part, selection);
    }
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    long id = 0;
    if (!Id(child, id)) return E_INVALIDARG;
    if (id == CHILDID_SELF && (flags & SELFLAG_TAKEFOCUS)) {
      peer_->Control().SetFocus();
      return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    long id = 0;
    if (!Id(child, id)) return E_INVALIDARG;
    RECT box{};
    if (id == CHILDID_SELF || id > Parts()) {
      TPeer* owner = id == CHILDID_SELF ? peer_ : PeerOf(ChildControl(id));
      if (owner == nullptr || owner->Hwnd() == nullptr) return S_FALSE;
      GetWindowRect(owner->Hwnd(), &box);
    } else {
      if (!peer_->PartRect(static_cast<int>(id), box)) return S_FALSE;
      MapWindowPoints(peer_->Hwnd(), nullptr, reinterpret_cast<POINT*>(&box), 2);
    }
    *left = box.left;
    *top = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
    if (end != nullptr) VariantInit(end);
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (hit == nullptr) return E_POINTER;
    VariantInit(hit);
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    HWND own = peer_->Hwnd();
    RECT box{};
    const POINT at{x, y};
    if (own == nullptr || !GetWindowRect(own, &box) || !PtInRect(&box, at)) return S_FALSE;
    for (TControl* child : peer_->Control().AccessibleChildren()) {
      TPeer* childPeer = PeerOf(child);
      RECT childBox{};
      if (childPeer != nullptr && childPeer->Hwnd() != nullptr && IsWindowVisible(childPeer->Hwnd()) &&
          GetWindowRect(childPeer->Hwnd(), &childBox) && PtInRect(&childBox, at)) {
        hit->vt = VT_DISPATCH;
        hit->pdispVal = childPeer->AccessibleDispatch();
        return S_OK;
      }
    }
    POINT client = at;
    ScreenToClient(own, &client);
    for (long part = 1; part <= Parts(); ++part) {
      RECT partBox{};
      if (!(peer_->Control().Part(static_cast<int>(part - 1)).state & kAsInvisible) &&
          peer_->PartRect(static_cast<int>(part), partBox) && PtInRect(&partBox, client)) {
        return Long(part, hit);
      }
    }
    return Long(CHILDID_SELF, hit);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    long id = 0;
    if (!Id(child, id)) return E_INVALIDARG;
    TPeer* target = peer_;
    if (id > Parts()) {
      target = PeerOf(ChildControl(id));
      id = CHILDID_SELF;
    }
    if (target == nullptr || target->Hwnd() == nullptr) return E_FAIL;
    const TAccessible a = id == CHILDID_SELF ? target->Control().Accessible()
                                             : target->Control().Part(static_cast<int>(id - 1));
    if (a.defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
    PostMessageA(target->Hwnd(), kMsgDefaultAction, static_cast<WPARAM>(id), 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  long Parts() const { return peer_->Control().PartCount(); }

  TControl* ChildControl(long id) const {
    const std::vector<TControl*> children = peer_->Control().AccessibleChildren();
    const long index = id - Parts() - 1;
    return index >= 0 && index < static_cast<long>(children.size()) ? children[static_cast<std::size_t>(index)]
                                                                       : nullptr;
  }

  // The child id a VARIANT names, when it names one that exists.
  bool Id(const VARIANT& child, long& id) const {
    if (child.vt != VT_I4) return false;
    id = child.lVal;
    return id >= 0 && id <= Parts() + static_cast<long>(peer_->Control().AccessibleChildren().size());
  }

  template <typename Answer>
  HRESULT Describe(const VARIANT& child, Answer answer) {
    if (peer_ == nullptr) return RPC_E_DISCONNECTED;
    long id = 0;
    if (!Id(child, id)) return E_INVALIDARG;
    TControl& control = peer_->Control();
    if (id == CHILDID_SELF) return answer(control.Accessible());
    if (id <= Parts()) return answer(control.Part(static_cast<int>(id - 1)));
    return answer(ChildControl(id)->Accessible());
  }

  static HRESULT Long(long value, VARIANT* out) {
    if (out == nullptr) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
  }

  LONG references_ = 1;
  TPeer* peer_;
};

IDispatch* TPeer::AccessibleDispatch() {
  if (accessible_ == nullptr) accessible_ = new TAccessibleObject(this);
  accessible_->AddRef();
  return accessible_;
}

void TPeer::ReleaseAccessible() {
  if (accessible_ == nullptr) return;
  accessible_->Disconnect();
  accessible_->Release();
  accessible_ = nullptr;
}

LRESULT TPeer::AnswerGetObject(WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT) return 0;
  IDispatch* object = AccessibleDispatch();
  const LRESULT result = LresultFromObject(kIidAccessible, wParam, object);
  object->Release();
  return result;
}

bool TPeer::CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
    result = AnswerGetObject(wParam, lParam);
    return true;
  }
  if (message == kMsgDefaultAction) {
    DoDefaultAction(static_cast<int>(wParam));
    result = 0;
    return true;
  }
  return false;
}

void TPeer::DoDefaultAction(int child) {
  if (child == 0) {
    control_.DoDefaultAction();
  } else {
    control_.DoPartDefault(child - 1);
  }
}

void TPeer::RaiseEvent(DWORD event, int child) const {
  if (hwnd_ != nullptr) NotifyWinEvent(event, hwnd_, OBJID_CLIENT, child == 0 ? CHILDID_SELF : child);
}

void DrawFocusFrame(HDC dc, const RECT& box, TColor color) {
  // Every other pixel, as the system's focus rectangle, but in a colour that shows on our faces.
  for (LONG x = box.left; x < box.right; x += 2) {
    SetPixelV(dc, x, box.top, color);
    SetPixelV(dc, x, box.bottom - 1, color);
  }
  for (LONG y = box.top; y < box.bottom; y += 2) {
    SetPixelV(dc, box.left, y, color);
    SetPixelV(dc, box.right - 1, y, color);
  }
}

}  // namespace ui::win32
