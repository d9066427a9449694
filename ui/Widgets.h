// The widget set the windows are built from. A widget is plain state (caption, items, selection,
// visibility, focus); a back end may bind a peer to it that shows that state on screen and feeds
// the user's input back through the same methods a test calls. The headless back end binds
// nothing, so tests click, type and select through these methods alone.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

using TColor = std::uint32_t;  // 0x00BBGGRR, as Windows packs it
constexpr TColor Rgb(int r, int g, int b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
inline constexpr TColor kClWhite = Rgb(255, 255, 255);
inline constexpr TColor kClBlack = Rgb(0, 0, 0);
inline constexpr TColor kClBlue = Rgb(0, 130, 198);        // window and navigation lists
inline constexpr TColor kClCream = Rgb(248, 250, 220);     // lists, memo, detail labels
inline constexpr TColor kClButtonFace = Rgb(253, 237, 172);
inline constexpr TColor kClHighlight = Rgb(248, 196, 39);  // the item or button under the mouse
inline constexpr TColor kClGreen = Rgb(99, 207, 49);
inline constexpr TColor kClLime = Rgb(0, 255, 0);
inline constexpr TColor kClNone = 0xFF000000u;             // no colour of its own: the parent's
// The system's colours, by their index with the top bit set; the back end looks them up when it
// draws, so they follow the user's colour scheme.
inline constexpr TColor kClSystem = 0x80000000u;
inline constexpr TColor kClBtnHighlight = kClSystem | 20u;  // COLOR_BTNHIGHLIGHT
constexpr bool IsSystemColor(TColor color) { return (color & 0xFF000000u) == kClSystem; }

struct TFont {
  std::string name = "Verdana";
  int size = 9;          // points, or pixels when `pixels` is set
  bool pixels = false;
  bool bold = false;
  TColor color = kClBlack;
};

struct TRect {
  int left = 0, top = 0, width = 0, height = 0;
};

enum class TCursor { Default, HourGlass, HandPoint };

// Virtual-key codes and shift state, as Windows numbers them.
enum : int { kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B, kVkSpace = 0x20, kVkUp = 0x26, kVkDown = 0x28,
             kVkDelete = 0x2E, kVkF1 = 0x70, kVkF3 = 0x72, kVkF5 = 0x74 };
enum TShiftState : unsigned { kShiftNone = 0, kShift = 1, kCtrl = 2, kAlt = 4 };

struct TShortCut {
  int key = 0;  // 0: none
  unsigned shift = kShiftNone;
  bool operator==(const TShortCut&) const = default;
};
// The text Windows menus show beside an item, e.g. "Ctrl+A", "Del", "F5".
std::string ShortCutText(TShortCut shortCut);

class TControl;
class TForm;

// What changed in a control, for its peer. kChFocus: the keyboard's place inside a control (the
// navigation bar's item); kChMinimize: the form asks to be minimised.
enum TChange : unsigned {
  kChVisible = 1, kChText = 2, kChItems = 4, kChSelection = 8, kChEnabled = 16,
  kChPicture = 32, kChBounds = 64, kChChecked = 128, kChRedraw = 256, kChColor = 512, kChFont = 1024,
  kChCursor = 2048, kChFocus = 4096, kChMinimize = 8192,
};

// What a screen reader, a magnifier or an automation tool is told about a control or one of its
// parts. The back end translates roles and states into the system's accessibility interface.
enum class TRole { None, Client, TitleBar, Grouping, PushButton, CheckButton, Link, StaticText, Text, List,
                   ListItem, Outline, OutlineItem, Graphic };
enum TAccState : unsigned {
  kAsFocused = 1, kAsSelected = 2, kAsUnavailable = 4, kAsInvisible = 8, kAsChecked = 16,
  kAsFocusable = 32, kAsSelectable = 64, kAsExpanded = 128, kAsCollapsed = 256, kAsReadOnly = 512,
};
struct TAccessible {
  std::string name;
  TRole role = TRole::None;
  unsigned state = 0;
  std::string defaultAction;  // empty: none
  std::string value;
};

// A back end's binding of one control.
class IPeer {
 public:
  virtual ~IPeer() = default;
  virtual void Changed(TControl& control, unsigned what) = 0;
  virtual void Focus(TControl& control) = 0;
};

class TControl {
 public:
  TControl(TControl* parent, std::string name);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  const std::string& Name() const { return name_; }
  TControl* Parent() const { return parent_; }
  const std::vector<TControl*>& Children() const { return children_; }
  TForm* Form();

  TRect Bounds() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible itself and every parent visible.
  bool Showing() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& font);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

  // Gives this control the keyboard focus within its form.
  void SetFocus();
  bool Focused();

  IPeer* Peer() const { return peer_; }
  void SetPeer(IPeer* peer) { peer_ = peer; }

  // ---- keyboard
  // Whether Tab stops here (when the control is showing and enabled).
  virtual bool TabStop() const { return false; }
  // A key pressed while this control has the focus; true when the control used it.
  virtual bool KeyDown(int /*key*/, unsigned /*shift*/) { return false; }

  // ---- accessibility
  // The name a screen reader says, where neither the caption nor a label beside it serves.
  std::string AccessibleName;
  // The label that names this control (a list, a value shown beside its caption).
  TControl* LabelledBy = nullptr;
  virtual TAccessible Accessible();
  // A decoration (a rule line, a picture without a name) is left out of the accessible tree.
  virtual bool Decorative() const { return false; }
  // What a click does; false when the control has no such action or cannot take it now.
  virtual bool DoDefaultAction() { return false; }
  // Parts that are not controls of their own: a list's entries, the navigation bar's buttons and
  // items, a form's title bar buttons.
  virtual int PartCount() const { return 0; }
  virtual TAccessible Part(int /*index*/) const { return {}; }
  virtual bool DoPartDefault(int /*index*/) { return false; }
  // The children a screen reader sees: every child but the decorations.
  std::vector<TControl*> AccessibleChildren() const;

  // Every control of the tree below `root` (itself included), depth first.
  static void ForEach(TControl& root, const std::function<void(TControl&)>& f);
  // The control of that name below this one, or null.
  TControl* Find(const std::string& name);

 protected:
  void Notify(unsigned what);
  // The name from AccessibleName, the label, or else `own`; the states every control shares.
  TAccessible Describe(TRole role, const std::string& own) const;

 private:
  TControl* parent_;
  std::string name_;
  std::vector<TControl*> children_;
  TRect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = kClNone;
  TFont font_;
  TCursor cursor_ = TCursor::Default;
  IPeer* peer_ = nullptr;
};

// A plain container: the pages, the bottom panel, group boxes.
class TPanel : public TControl {
 public:
  using TControl::TControl;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TColor FrameColor = kClNone;  // a group box's frame; none for a page panel
  TAccessible Accessible() override { return Describe(TRole::Grouping, caption_); }

 private:
  std::string caption_;
};

class TLabel : public TControl {
 public:
  using TControl::TControl;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool WordWrap = false;
  bool Transparent = false;
  // A one-line label widens to its text where the font on screen runs wider than the layout; a
  // wrapped one grows down to its last line.
  bool AutoSize = false;
  std::function<void()> OnClick;
  void Click();
  // A label with a click handler is a link: Tab stops on it and Enter follows it.
  bool TabStop() const override { return static_cast<bool>(OnClick); }
  bool KeyDown(int key, unsigned shift) override;
  TAccessible Accessible() override;
  bool DoDefaultAction() override;

 private:
  std::string caption_;
};

// A horizontal rule line.
class TBevel : public TControl {
 public:
  using TControl::TControl;
  bool Decorative() const override { return true; }
};

// A flat button: face colour, highlight colour under the mouse, an optional glyph left of the
// caption.
class TButton : public TControl {
 public:
  using TControl::TControl;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TColor FaceColor = kClButtonFace;
  TColor HotColor = kClHighlight;
  int Glyph = 0;  // bitmap resource id, 0 for none
  std::function<void()> OnClick;
  // What a click does: runs OnClick when the button is enabled and showing.
  void Click();
  bool TabStop() const override { return true; }
  // Space and Enter press it.
  bool KeyDown(int key, unsigned shift) override;
  TAccessible Accessible() override;
  bool DoDefaultAction() override;

 private:
  std::string caption_;
};

class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  // The user's click: toggles.
  void Click();
  bool TabStop() const override { return true; }
  bool KeyDown(int key, unsigned shift) override;
  TAccessible Accessible() override;
  bool DoDefaultAction() override;

 private:
  std::string caption_;
  bool checked_ = false;
};

class TMemo : public TControl {
 public:
  using TControl::TControl;
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(std::vector<std::string> lines);
  std::string Text() const;  // the lines joined by CR LF
  bool ReadOnly = true;
  bool TabStop() const override { return true; }
  TAccessible Accessible() override;

 private:
  std::vector<std::string> lines_;
};

// A single-choice list of texts, not sorted.
class TListBox : public TControl {
 public:
  using TControl::TControl;
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  void Clear();
  void Add(const std::string& item);
  void AddAll(const std::vector<std::string>& items);
  void Delete(int index);
  // The selected index, or -1.
  int ItemIndex() const { return itemIndex_; }
  // A selection made by the program: runs no handler.
  void SetItemIndex(int index);
  // The index shown at the top of the visible area.
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int index);
  int ItemHeight = 14;
  bool Border = true;  // a sunken edge round the list
  // A selection made by the user (mouse, arrow keys, letters): sets it and runs OnClick.
  void UserSelect(int index);
  std::function<void()> OnClick;
  std::function<void(int key, unsigned shift)> OnKeyUp;
  bool TabStop() const override { return true; }
  TAccessible Accessible() override { return Describe(TRole::List, std::string()); }
  int PartCount() const override { return Count(); }
  TAccessible Part(int index) const override;
  bool DoPartDefault(int index) override;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  int topIndex_ = 0;
};

struct TMenuItem {
  std::string name;
  std::string caption;  // "-" for a separator
  TShortCut shortCut;
  std::function<void()> onClick;
  std::function<bool()> enabled;  // null: always enabled
};

// A context menu. Its items' keys act while the control that owns it has the focus.
class TPopupMenu {
 public:
  std::vector<TMenuItem> Items;
  TMenuItem* Find(const std::string& name);
  bool IsEnabled(const TMenuItem& item) const { return !item.enabled || item.enabled(); }
};

struct TListColumn {
  std::string caption;
  int width = 0;
};

struct TListItem {
  std::string Caption;
  std::vector<std::string> SubItems;
  bool Selected = false;
  // The row's check box, in a list with CheckBoxes.
  bool Checked = false;
  // Text the program keeps with the row and never shows; it moves with the row when the list is
  // sorted.
  std::string Data;
};

// A list in report view with several selectable rows. The rows are state; the Win32 peer draws
// them on demand, so a list of many thousand rows costs nothing to show.
class TListView : public TControl {
 public:
  using TControl::TControl;
  std::vector<TListColumn> Columns;
  std::vector<TListItem> Items;
  TPopupMenu* PopupMenu = nullptr;
  // A check box before each row (set before the peer is made).
  bool CheckBoxes = false;
  // Drawing held back between BeginUpdate and EndUpdate; the peer redraws once at the end.
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateDepth_ > 0; }
  int RedrawCount() const { return redraws_; }
  // Tell the peer that Items or their selection changed (outside an update: redraws at once).
  void ItemsChanged();
  int SelCount() const;
  std::function<void(int column)> OnColumnClick;
  // After the user changed the selection (a click, the keys, a screen reader).
  std::function<void()> OnSelectItem;
  // The user's click on a heading.
  void ClickColumn(int column);
  // The user's selection of one row (-1: none); the peer reports its own changes through
  // SelectionPulled.
  void SelectOnly(int index);
  void SelectionPulled();
  // The user's click on a row's check box: toggles it.
  void ToggleCheck(int index);
  bool TabStop() const override { return true; }
  // Space toggles the selected rows' check boxes.
  bool KeyDown(int key, unsigned shift) override;
  TAccessible Accessible() override { return Describe(TRole::List, std::string()); }
  int PartCount() const override { return static_cast<int>(Items.size()); }
  TAccessible Part(int index) const override;
  bool DoPartDefault(int index) override;

 private:
  int updateDepth_ = 0;
  int redraws_ = 0;
};

// A 32-bit picture in memory, top row first, pixels 0x00RRGGBB.
struct TBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// A picture area; the wallpaper preview tiles `Picture` behind `Overlay` (drawn with its
// transparent colour left out).
class TImage : public TControl {
 public:
  using TControl::TControl;
  std::shared_ptr<const TBitmap> Picture() const { return picture_; }
  void SetPicture(std::shared_ptr<const TBitmap> picture);
  bool Tile = false;
  int OverlayResource = 0;  // bitmap resource drawn over the picture, 0 for none
  // Where the overlay's top left sits, and the rectangle it is clipped to (empty: no clipping).
  int OverlayLeft = 0, OverlayTop = 0;
  TRect OverlayClip;
  TColor TransparentColor = Rgb(255, 0, 255);
  // A picture without a name is a decoration.
  bool Decorative() const override { return AccessibleName.empty() && LabelledBy == nullptr; }
  TAccessible Accessible() override { return Describe(TRole::Graphic, std::string()); }

 private:
  std::shared_ptr<const TBitmap> picture_;
};

// The outlook-style navigation bar: sections, each a button over a list of items. One section is
// open at a time.
class TNavBar : public TControl {
 public:
  enum class Style { Select, Click };
  struct Item {
    std::string caption;
    int icon = 0;
    std::function<void()> onClick;   // the item's handler
    std::function<void()> command;   // the bound command, run after the handler
  };
  struct Section {
    std::string buttonName, caption, listName;
    Style style = Style::Select;
    std::vector<Item> items;
    int selected = -1;
    std::function<void()> onButtonClick;
  };

  using TControl::TControl;
  std::vector<Section> Sections;
  int OpenSection() const { return open_; }
  // Opens a section; the peer animates the slide.
  void SetOpenSection(int section);
  // The item selected in a section's list, or -1 (always -1 for a click-style list).
  int Selected(int section) const;
  void Select(int section, int item);
  void ClearSelection(int section);
  // The user's clicks: the item's selection, its handler, then its bound command.
  void ClickItem(int section, int item);
  // Opens the section, then runs its button's handler.
  void ClickSection(int section);
  // Finds a section by its list's name.
  int SectionOf(const std::string& listName) const;

  // The keyboard's place in the bar: a section's button (item -1) or an item of the open section.
  // Up and Down move it through the buttons and the open section's items as they stand on
  // screen; Enter and Space click what it is on.
  struct Place {
    int section = 0;
    int item = -1;
    bool operator==(const Place&) const = default;
  };
  Place FocusPlace() const;
  std::vector<Place> Places() const;
  void MoveFocus(int delta);
  bool TabStop() const override { return true; }
  bool KeyDown(int key, unsigned shift) override;

  // Accessible parts: each section's button followed by its items, in the sections' order.
  TAccessible Accessible() override { return Describe(TRole::Outline, "Navigation"); }
  int PartCount() const override;
  TAccessible Part(int index) const override;
  bool DoPartDefault(int index) override;
  // The part index of a place, and back.
  int PartOf(const Place& place) const;
  Place PlaceOfPart(int index) const;

 private:
  void SetFocusPlace(const Place& place);
  int open_ = 0;
  Place focus_{0, 0};
};

// A top-level window: the main window, the About box.
class TForm : public TControl {
 public:
  explicit TForm(std::string name) : TControl(nullptr, std::move(name)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TControl* ActiveControl() const { return active_; }
  void SetActiveControl(TControl* control);
  // The screen position of the client area's top left.
  int Left = 0, Top = 0;
  // The DPI the form is shown at, kept by the back end: the layout is in 96-DPI units, the screen
  // position above in pixels.
  int Dpi = 96;
  // The title bar shows a minimise button beside the close button.
  bool MinimizeButton = true;

  // Keys reach the form before its controls (key preview). A handler that returns true has
  // consumed the key.
  virtual bool KeyDown(int key, unsigned shift);
  virtual void KeyUp(int key, unsigned shift);
  // Asks the window to close; the back end ends the modal loop or the program.
  void Close();
  bool Closed() const { return closed_; }
  std::function<void()> OnClose;
  // Asks the window to minimise (the title bar's button).
  void Minimize() { Notify(kChMinimize); }

  // The controls Tab visits, in the order it visits them: the page's reading order, top to
  // bottom and left to right. Controls whose tops lie above the middle of the first one of a row
  // share that row and go left to right; a container's controls follow each other where it stands.
  std::vector<TControl*> TabOrder();
  // Moves the focus to the next control in tab order (the previous one with `backward`), wrapping
  // round at the ends.
  void FocusNext(bool backward);
  // A key as the keyboard delivers it: the form's own keys first, then Tab, then the control that
  // has the focus.
  bool PressKey(int key, unsigned shift);

  // The title bar and its buttons, for screen readers.
  TAccessible Accessible() override { return Describe(TRole::Client, caption_); }
  int PartCount() const override { return MinimizeButton ? 3 : 2; }
  TAccessible Part(int index) const override;
  bool DoPartDefault(int index) override;

 private:
  std::string caption_;
  TControl* active_ = nullptr;
  bool closed_ = false;
};

}  // namespace ui
