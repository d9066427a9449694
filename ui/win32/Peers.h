// The peers: each binds one control of the widget state to a real window, shows the state as it
// changes and hands the user's input back through the control's own methods. The list view and
// the edit are the system's common controls, subclassed; everything else is a window of our own
// class that draws itself.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <oaidl.h>

#include <memory>
#include <string>

#include "ui/Widgets.h"

namespace ui::win32 {

inline constexpr const char* kCustomClass = "NqControl";
inline constexpr const char* kFormClass = "NqForm";
inline constexpr int kTitleBarHeight = 29;
// Posted to a control's window to run an accessible object's default action once the caller's
// request has returned: a click may open a modal box, and the screen reader must not wait on it.
inline constexpr UINT kMsgDefaultAction = WM_APP + 20;

class TAccessibleObject;

class TPeer : public IPeer {
 public:
  explicit TPeer(TControl& control);
  ~TPeer() override;
  TPeer(const TPeer&) = delete;
  TPeer& operator=(const TPeer&) = delete;

  TControl& Control() const { return control_; }
  HWND Hwnd() const { return hwnd_; }
  // Makes the window as a child of `parent`, placed and shown as the state says.
  virtual void Create(HWND parent) = 0;

  void Changed(TControl& control, unsigned what) override;
  void Focus(TControl& control) override;

  // The DPI the control's form is shown at; the state's bounds and pixel sizes are 96-DPI units.
  int Dpi() const;
  // A 96-DPI length of this control at its form's DPI.
  int Px(int units) const;
  // The form moved to another DPI: the window takes its scaled place, font and drawing anew.
  virtual void Rescale();

  // What a parent hands on to the child that sent it.
  virtual void OnCommand(int /*code*/) {}
  virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
  virtual void OnDrawItem(DRAWITEMSTRUCT* /*item*/) {}
  virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

  // The peer bound to a window of ours, or null.
  static TPeer* Of(HWND window);
  // Called as the window goes: the peer no longer has one.
  void Detach();

  // ---- accessibility (Accessible.cpp)
  // The answer to WM_GETOBJECT: this control's accessible object for OBJID_CLIENT, else 0 (the
  // system's own objects for the window frame and the rest).
  LRESULT AnswerGetObject(WPARAM wParam, LPARAM lParam);
  // Where a part (1-based, as the accessible object numbers them) lies on the screen.
  virtual bool PartRect(int /*part*/, RECT& /*rect*/) const { return false; }
  // The part that has the keyboard inside the control, 0 for the control itself.
  virtual int FocusedPart() const { return 0; }
  // Runs the default action of the control (0) or of a part, from kMsgDefaultAction.
  void DoDefaultAction(int child);
  // Tells accessibility clients that something happened to the control (0) or a part.
  void RaiseEvent(DWORD event, int child) const;
  // The accessible object of this control, made on first request (a new reference).
  IDispatch* AccessibleDispatch();

 protected:
  // The kind's own share of a change (after bounds, visibility, enabling and cursor).
  virtual void Update(unsigned /*what*/) {}
  void Attach(HWND window);
  // Moves the window to the state's bounds, scaled.
  void Place() const;
  // Sets the pointer for the control under the mouse; false when the window's own should show.
  bool ApplyCursor(WPARAM hitTest) const;
  void ShowCursorNow() const;
  // Focus reached this window: the form's active control follows.
  void FocusArrived(bool focusable);

  // Messages every peer answers alike: WM_GETOBJECT and the posted default action. True when
  // `message` was one of them.
  bool CommonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  TControl& control_;
  HWND hwnd_ = nullptr;

 private:
  // Clients may hold the object longer than the control lives: it is cut loose, not destroyed.
  void ReleaseAccessible();
  TAccessibleObject* accessible_ = nullptr;
};

// Draws the program's focus mark: a dotted frame in `color` round `box`.
void DrawFocusFrame(HDC dc, const RECT& box, TColor color);

// A window of our own class that draws itself.
class TCustomPeer : public TPeer {
 public:
  using TPeer::TPeer;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  void CreateCustom(HWND parent, const char* windowClass, DWORD style, DWORD exStyle, int x, int y, int w, int h);
  void CreateChild(HWND parent, DWORD extraStyle = 0, DWORD extraExStyle = 0);
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Draws the whole client area (the caller buffers it).
  virtual void Paint(HDC dc, const RECT& client);
  // Answers WM_PAINT for the part that needs it; by default all of it through the buffer.
  virtual void PaintUpdate(HDC dc, const RECT& update);
  // Paints an area of the client through the shared off-screen buffer.
  void PaintBuffered(HDC dc, const RECT& area);
  void Update(unsigned what) override;
  void Invalidate() const;
  // Mouse tracking shared by the clickable parts: a press and release over the same target.
  void TrackLeave();
  // Whether the mouse position of a message lies in the client area.
  bool Inside(LPARAM lParam) const;
  bool tracking_ = false;
};

// A standard control, subclassed. The common controls library they come from is loaded with the
// first of them.
class TStandardPeer : public TPeer {
 public:
  using TPeer::TPeer;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR data);

 protected:
  void CreateStandard(HWND parent, const char* windowClass, DWORD style, DWORD exStyle);
  virtual LRESULT SubclassProc(UINT message, WPARAM wParam, LPARAM lParam);
  void Update(unsigned what) override;
  virtual bool Focusable() const { return true; }
};

// Makes the peer that fits the control's kind; null for a form.
std::unique_ptr<TPeer> MakePeer(TControl& control);
// Drawn by us (CustomPeers.cpp).
std::unique_ptr<TPeer> MakePanelPeer(TControl& control);
std::unique_ptr<TPeer> MakeLabelPeer(TLabel& control);
std::unique_ptr<TPeer> MakeBevelPeer(TControl& control);
std::unique_ptr<TPeer> MakeButtonPeer(TButton& control);
std::unique_ptr<TPeer> MakeImagePeer(TImage& control);
std::unique_ptr<TPeer> MakeCheckBoxPeer(TCheckBox& control);
// The list box (ListBox.cpp) and the navigation bar (NavBar.cpp), drawn by us too.
std::unique_ptr<TPeer> MakeListBoxPeer(TListBox& control);
std::unique_ptr<TPeer> MakeNavBarPeer(TNavBar& control);
// Standard controls (StandardPeers.cpp, ListView.cpp).
std::unique_ptr<TPeer> MakeMemoPeer(TMemo& control);
std::unique_ptr<TPeer> MakeListViewPeer(TListView& control);

// The colour a control's text is drawn in: its font's, or grey while it is disabled.
COLORREF TextColorOf(const TControl& control);

// The form peer's title bar, also used by the About box: the shared pictures and hit areas.
enum class TTitlePart { None, Caption, Minimise, Close };

unsigned ShiftState();

}  // namespace ui::win32
