// The navigation bar: section buttons 20 pixels high, the open section's items between them (the
// buttons of the sections above at the top, those below at the bottom), each item a 32 x 32 icon
// above its caption. Opening a section slides the buttons in seven steps. Sizes are 96-DPI units,
// scaled to the form's DPI as they are used.
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "resources/resource.h"
#include "ui/Scale.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Peers.h"

namespace ui::win32 {
namespace {

constexpr int kButtonHeight = 20;
constexpr int kItemHeight = 60;
constexpr int kListPadding = 8;
constexpr int kScrollButton = 16;
constexpr int kSlideSteps = 7;

class TNavBarPeer final : public TCustomPeer {
 public:
  explicit TNavBarPeer(TNavBar& bar) : TCustomPeer(bar), bar_(bar), shownOpen_(bar.OpenSection()) {}

  void Create(HWND parent) override { CreateChild(parent); }
  // Scrolled by whole items of the old size: back to the top at the new one.
  void Rescale() override {
    scroll_.clear();
    TCustomPeer::Rescale();
  }

 protected:
  void Update(unsigned what) override {
    if ((what & kChSelection) && bar_.OpenSection() != shownOpen_) Slide(shownOpen_, bar_.OpenSection());
    TCustomPeer::Update(what);
    if ((what & kChFocus) && GetFocus() == hwnd_) {
      KeepInView(bar_.FocusPlace());
      RaiseEvent(EVENT_OBJECT_FOCUS, FocusedPart());
    }
    if (what & kChSelection) {
      const int open = bar_.OpenSection();
      const int selected = bar_.Selected(open);
      if (selected >= 0) RaiseEvent(EVENT_OBJECT_SELECTION, bar_.PartOf(TNavBar::Place{open, selected}) + 1);
    }
  }

  int FocusedPart() const override { return bar_.PartOf(bar_.FocusPlace()) + 1; }

  bool PartRect(int part, RECT& rect) const override {
    const TNavBar::Place place = bar_.PlaceOfPart(part - 1);
    if (place.section < 0) return false;
    RECT client;
    GetClientRect(hwnd_, &client);
    const std::vector<int> tops = Tops(client.bottom);
    if (place.item < 0) {
      rect = RECT{0, tops[place.section], client.right, tops[place.section] + kButtonHeight};
      return true;
    }
    if (place.section != bar_.OpenSection()) return false;
    const RECT region = ListRegion(tops, place.section, client);
    rect = ItemRect(place.section, place.item, region);
    IntersectRect(&rect, &rect, &region);
    return true;
  }

  void Paint(HDC dc, const RECT& client) override {
    FillColor(dc, client, EffectiveColor(bar_));
    const std::vector<int> tops = Tops(client.bottom);
    const int count = static_cast<int>(bar_.Sections.size());
    TSelect font(dc, FontOf(bar_.Font(), Dpi()));
    SetBkMode(dc, TRANSPARENT);
    for (int s = 0; s < count; ++s) {
      const RECT region = ListRegion(tops, s, client);
      if (region.bottom > region.top) PaintList(dc, s, region);
    }
    for (int s = 0; s < count; ++s) PaintButton(dc, s, RECT{0, tops[s], client.right, tops[s] + Px(kButtonHeight)});
    if (GetFocus() == hwnd_) PaintFocus(dc, tops, client);
  }

  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_MOUSEMOVE: {
        const TTarget target = HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (!(target == hot_)) {
          hot_ = target;
          Invalidate();
        }
        TrackLeave();
        return 0;
      }
      case WM_MOUSELEAVE:
        tracking_ = false;
        hot_ = TTarget{};
        Invalidate();
        return 0;
      case WM_LBUTTONDOWN:
        pressed_ = HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        SetCapture(hwnd_);
        return 0;
      case WM_LBUTTONUP: {
        const TTarget target = HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const TTarget pressed = pressed_;
        pressed_ = TTarget{};
        if (GetCapture() == hwnd_) ReleaseCapture();
        if (target == pressed) Act(target);
        return 0;
      }
      case WM_CAPTURECHANGED:
        pressed_ = TTarget{};
        return 0;
      case WM_MOUSEWHEEL: {
        const int open = bar_.OpenSection();
        ScrollBy(open, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -Px(kItemHeight) : Px(kItemHeight));
        return 0;
      }
      default:
        return TCustomPeer::WndProc(message, wParam, lParam);
    }
  }

 private:
  enum class TKind { None, Button, Item, ScrollUp, ScrollDown };
  struct TTarget {
    TKind kind = TKind::None;
    int section = -1;
    int item = -1;
    bool operator==(const TTarget&) const = default;
  };

  // Where each section button sits with `open` open.
  std::vector<int> TopsFor(int open, int height) const {
    const int count = static_cast<int>(bar_.Sections.size());
    std::vector<int> tops(count);
    const int button = Px(kButtonHeight);
    for (int s = 0; s < count; ++s) tops[s] = s <= open ? s * button : height - (count - s) * button;
    return tops;
  }

  std::vector<int> Tops(int height) const {
    std::vector<int> to = TopsFor(bar_.OpenSection(), height);
    if (slideStep_ >= kSlideSteps) return to;
    const std::vector<int> from = TopsFor(slideFrom_, height);
    for (std::size_t s = 0; s < to.size(); ++s) to[s] = from[s] + (to[s] - from[s]) * slideStep_ / kSlideSteps;
    return to;
  }

  RECT ListRegion(const std::vector<int>& tops, int section, const RECT& client) const {
    const int top = tops[section] + Px(kButtonHeight);
    const int bottom = section + 1 < static_cast<int>(tops.size()) ? tops[section + 1] : client.bottom;
    return RECT{0, top, client.right, std::max(top, bottom)};
  }

  int ContentHeight(int section) const {
    return Px(kListPadding) + static_cast<int>(bar_.Sections[section].items.size()) * Px(kItemHeight);
  }

  int MaxScroll(int section, const RECT& region) const {
    return std::max(0, ContentHeight(section) - static_cast<int>(region.bottom - region.top));
  }

  RECT ItemRect(int section, int item, const RECT& region) const {
    const int top = region.top + Px(kListPadding) - Scroll(section) + item * Px(kItemHeight);
    return RECT{0, top, region.right, top + Px(kItemHeight)};
  }

  int Scroll(int section) const { return section < static_cast<int>(scroll_.size()) ? scroll_[section] : 0; }

  RECT OpenRegion() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    return ListRegion(Tops(client.bottom), bar_.OpenSection(), client);
  }

  RECT ScrollUpRect(const RECT& region) const {
    return RECT{region.right - Px(kScrollButton + 4), region.top + Px(4), region.right - Px(4),
                region.top + Px(4 + kScrollButton)};
  }
  RECT ScrollDownRect(const RECT& region) const {
    return RECT{region.right - Px(kScrollButton + 4), region.bottom - Px(4 + kScrollButton), region.right - Px(4),
                region.bottom - Px(4)};
  }

  void PaintButton(HDC dc, int section, const RECT& box) {
    const bool hot = hot_.kind == TKind::Button && hot_.section == section;
    FillColor(dc, box, hot ? kClHighlight : kClButtonFace);
    // A raised edge: light above, dark below.
    const int edge = std::max(1, Px(1));
    RECT light{box.left, box.top, box.right, box.top + edge};
    RECT dark{box.left, box.bottom - edge, box.right, box.bottom};
    FillColor(dc, light, kClWhite);
    FillColor(dc, dark, Rgb(120, 100, 40));
    SetTextColor(dc, kClBlack);
    RECT text = box;
    const std::string& caption = bar_.Sections[section].caption;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  void PaintList(HDC dc, int section, const RECT& region) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, region.left, region.top, region.right, region.bottom);
    const TNavBar::Section& s = bar_.Sections[section];
    HBITMAP icons = Picture(IDB_NAVICONS, Dpi(), NAVICON_COUNT);
    const int iconSize = Px(NAVICON_SIZE);
    const int selected = bar_.Selected(section);
    for (int i = 0; i < static_cast<int>(s.items.size()); ++i) {
      const RECT cell = ItemRect(section, i, region);
      if (cell.bottom <= region.top || cell.top >= region.bottom) continue;
      const bool hot = hot_.kind == TKind::Item && hot_.section == section && hot_.item == i;
      const bool highlighted = hot || i == selected;
      if (highlighted) {
        HBRUSH brush = BrushOf(hot ? kClHighlight : kClButtonFace);
        TSelect fill(dc, brush);
        TSelect pen(dc, GetStockObject(NULL_PEN));
        RoundRect(dc, cell.left + Px(6), cell.top + Px(1), cell.right - Px(5), cell.bottom - Px(2), Px(8), Px(8));
      }
      const int icon = s.items[i].icon;
      DrawPicture(dc, icons, (cell.right - iconSize) / 2, cell.top + Px(5), icon * iconSize, 0, iconSize, iconSize);
      SetTextColor(dc, highlighted ? kClBlack : kClWhite);
      // A unit's margin each side: enough at 96 DPI, and room for the longest caption at 200 %,
      // where the font runs a little wider than twice its 96-DPI self.
      RECT text{cell.left + Px(1), cell.top + Px(5 + NAVICON_SIZE + 2), cell.right - Px(1), cell.bottom - Px(3)};
      const std::string& caption = s.items[i].caption;
      DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (Scroll(section) > 0) {
      RECT up = ScrollUpRect(region);
      DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP | DFCS_FLAT);
    }
    if (Scroll(section) < MaxScroll(section, region)) {
      RECT down = ScrollDownRect(region);
      DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_FLAT);
    }
    RestoreDC(dc, saved);
  }

  // The keyboard's place: a dotted frame inside its button or round its item.
  void PaintFocus(HDC dc, const std::vector<int>& tops, const RECT& client) const {
    const TNavBar::Place place = bar_.FocusPlace();
    if (place.section < 0 || place.section >= static_cast<int>(tops.size())) return;
    if (place.item < 0) {
      const int top = tops[place.section];
      DrawFocusFrame(dc, RECT{Px(3), top + Px(3), client.right - Px(3), top + Px(kButtonHeight - 3)}, kClBlack);
      return;
    }
    const RECT region = ListRegion(tops, place.section, client);
    const RECT cell = ItemRect(place.section, place.item, region);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, region.left, region.top, region.right, region.bottom);
    const bool highlighted = bar_.Selected(place.section) == place.item ||
                             (hot_.kind == TKind::Item && hot_.section == place.section && hot_.item == place.item);
    DrawFocusFrame(dc, RECT{cell.left + Px(8), cell.top + Px(2), cell.right - Px(7), cell.bottom - Px(3)},
                   highlighted ? kClBlack : kClWhite);
    RestoreDC(dc, saved);
  }

  // Scrolls the open list so that the item the keyboard is on shows whole.
  void KeepInView(const TNavBar::Place& place) {
    if (place.item < 0 || place.section != bar_.OpenSection()) return;
    const RECT region = OpenRegion();
    const RECT cell = ItemRect(place.section, place.item, region);
    if (cell.top < region.top) ScrollBy(place.section, cell.top - region.top);
    if (cell.bottom > region.bottom) ScrollBy(place.section, cell.bottom - region.bottom);
  }

  TTarget HitTest(int x, int y) const {
    RECT client;
    GetClientRect(hwnd_, &client);
    const std::vector<int> tops = Tops(client.bottom);
    POINT at{x, y};
    for (int s = 0; s < static_cast<int>(tops.size()); ++s) {
      if (y >= tops[s] && y < tops[s] + Px(kButtonHeight)) return TTarget{TKind::Button, s, -1};
    }
    const int open = bar_.OpenSection();
    const RECT region = ListRegion(tops, open, client);
    if (!PtInRect(&region, at)) return TTarget{};
    RECT up = ScrollUpRect(region);
    if (Scroll(open) > 0 && PtInRect(&up, at)) return TTarget{TKind::ScrollUp, open, -1};
    RECT down = ScrollDownRect(region);
    if (Scroll(open) < MaxScroll(open, region) && PtInRect(&down, at)) return TTarget{TKind::ScrollDown, open, -1};
    for (int i = 0; i < static_cast<int>(bar_.Sections[open].items.size()); ++i) {
      const RECT cell = ItemRect(open, i, region);
      if (PtInRect(&cell, at)) return TTarget{TKind::Item, open, i};
    }
    return TTarget{};
  }

  void Act(const TTarget& target) {
    switch (target.kind) {
      case TKind::Button:
        bar_.ClickSection(target.section);
        break;
      case TKind::Item:
        bar_.ClickItem(target.section, target.item);
        break;
      case TKind::ScrollUp:
        ScrollBy(target.section, -Px(kItemHeight));
        break;
      case TKind::ScrollDown:
        ScrollBy(target.section, Px(kItemHeight));
        break;
      case TKind::None:
        break;
    }
  }

  void ScrollBy(int section, int delta) {
    if (section < 0) return;
    if (static_cast<int>(scroll_.size()) <= section) scroll_.resize(section + 1, 0);
    scroll_[section] = std::clamp(scroll_[section] + delta, 0, MaxScroll(section, OpenRegion()));
    Invalidate();
  }

  // The buttons between the two sections move to their new places in a few quick steps.
  void Slide(int from, int to) {
    slideFrom_ = from;
    shownOpen_ = to;
    hot_ = TTarget{};
    if (IsWindowVisible(hwnd_)) {
      for (slideStep_ = 1; slideStep_ <= kSlideSteps; ++slideStep_) {
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        if (slideStep_ < kSlideSteps) Sleep(1);
      }
    }
    slideStep_ = kSlideSteps;
    Invalidate();
  }

  TNavBar& bar_;
  int shownOpen_;
  int slideFrom_ = 0;
  int slideStep_ = kSlideSteps;
  std::vector<int> scroll_;
  TTarget hot_;
  TTarget pressed_;
};

}  // namespace

std::unique_ptr<TPeer> MakeNavBarPeer(TNavBar& control) { return std::make_unique<TNavBarPeer>(control); }

}  // namespace ui::win32
