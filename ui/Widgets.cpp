#include "ui/Widgets.h"

#include <algorithm>

namespace ui {

std::string ShortCutText(TShortCut shortCut) {
  if (shortCut.key == 0) return std::string();
  std::string text;
  if (shortCut.shift & kCtrl) text += "Ctrl+";
  if (shortCut.shift & kShift) text += "Shift+";
  if (shortCut.shift & kAlt) text += "Alt+";
  if (shortCut.key >= kVkF1 && shortCut.key <= kVkF1 + 11) {
    text += "F" + std::to_string(shortCut.key - kVkF1 + 1);
  } else if (shortCut.key == kVkDelete) {
    text += "Del";
  } else {
    text += static_cast<char>(shortCut.key);
  }
  return text;
}

// ---- TControl

TControl::TControl(TControl* parent, std::string name) : parent_(parent), name_(std::move(name)) {
  if (parent_ != nullptr) parent_->children_.push_back(this);
}

TControl::~TControl() {
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  for (TControl* child : children_) child->parent_ = nullptr;
}

TForm* TControl::Form() {
  TControl* c = this;
  while (c->parent_ != nullptr) c = c->parent_;
  return dynamic_cast<TForm*>(c);
}

void TControl::Notify(unsigned what) {
  if (peer_ != nullptr) peer_->Changed(*this, what);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  bounds_ = TRect{left, top, width, height};
  Notify(kChBounds);
}

void TControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  // A control that goes out of sight takes the keyboard focus with it: the form keeps it, so that
  // keys meant for a hidden control (F5 in the cookie list) no longer reach it.
  if (!visible) {
    if (TForm* form = Form()) {
      for (TControl* c = form->ActiveControl(); c != nullptr; c = c->Parent()) {
        if (c == this) {
          form->SetActiveControl(nullptr);
          break;
        }
      }
    }
  }
  Notify(kChVisible);
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify(kChEnabled);
}

void TControl::SetColor(TColor color) {
  color_ = color;
  Notify(kChColor);
}

void TControl::SetFont(const TFont& font) {
  font_ = font;
  Notify(kChFont);
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor_ == cursor) return;
  cursor_ = cursor;
  Notify(kChCursor);
}

void TControl::SetFocus() {
  if (TForm* form = Form()) form->SetActiveControl(this);
  if (peer_ != nullptr) peer_->Focus(*this);
}

bool TControl::Focused() {
  TForm* form = Form();
  return form != nullptr && form->ActiveControl() == this;
}

void TControl::ForEach(TControl& root, const std::function<void(TControl&)>& f) {
  f(root);
  for (TControl* child : root.children_) ForEach(*child, f);
}

std::vector<TControl*> TControl::AccessibleChildren() const {
  std::vector<TControl*> children;
  for (TControl* child : children_) {
    if (!child->Decorative()) children.push_back(child);
  }
  return children;
}

TAccessible TControl::Accessible() { return Describe(TRole::Grouping, std::string()); }

TAccessible TControl::Describe(TRole role, const std::string& own) const {
  TAccessible a;
  a.role = role;
  if (!AccessibleName.empty()) {
    a.name = AccessibleName;
  } else if (LabelledBy != nullptr) {
    a.name = LabelledBy->Accessible().name;
    a.value = own;  // a value label says what its caption label names
  } else {
    a.name = own;
  }
  auto* self = const_cast<TControl*>(this);
  if (!Showing()) a.state |= kAsInvisible;
  if (!Enabled()) a.state |= kAsUnavailable;
  if (TabStop()) a.state |= kAsFocusable;
  if (self->Focused()) a.state |= kAsFocused;
  return a;
}

TControl* TControl::Find(const std::string& name) {
  if (name_ == name) return this;
  for (TControl* child : children_) {
    if (TControl* found = child->Find(name)) return found;
  }
  return nullptr;
}

// ---- simple controls

void TPanel::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TLabel::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TLabel::Click() {
  if (OnClick && Enabled() && Showing()) OnClick();
}

bool TLabel::KeyDown(int key, unsigned) {
  if (key != kVkReturn || !OnClick) return false;
  Click();
  return true;
}

TAccessible TLabel::Accessible() {
  TAccessible a = Describe(OnClick ? TRole::Link : TRole::StaticText, caption_);
  if (OnClick) a.defaultAction = "Jump";
  return a;
}

bool TLabel::DoDefaultAction() {
  if (!OnClick || !Enabled() || !Showing()) return false;
  Click();
  return true;
}

void TButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TButton::Click() {
  if (OnClick && Enabled() && Showing()) OnClick();
}

bool TButton::KeyDown(int key, unsigned shift) {
  if ((key != kVkReturn && key != kVkSpace) || shift != kShiftNone) return false;
  Click();
  return true;
}

TAccessible TButton::Accessible() {
  TAccessible a = Describe(TRole::PushButton, caption_);
  a.defaultAction = "Press";
  return a;
}

bool TButton::DoDefaultAction() {
  if (!Enabled() || !Showing()) return false;
  Click();
  return true;
}

void TCheckBox::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TCheckBox::SetChecked(bool checked) {
  checked_ = checked;
  Notify(kChChecked);
}

void TCheckBox::Click() {
  if (Enabled() && Showing()) SetChecked(!checked_);
}

bool TCheckBox::KeyDown(int key, unsigned shift) {
  if (key != kVkSpace || shift != kShiftNone) return false;
  Click();
  return true;
}

TAccessible TCheckBox::Accessible() {
  TAccessible a = Describe(TRole::CheckButton, caption_);
  if (checked_) a.state |= kAsChecked;
  a.defaultAction = checked_ ? "Uncheck" : "Check";
  return a;
}

bool TCheckBox::DoDefaultAction() {
  if (!Enabled() || !Showing()) return false;
  Click();
  return true;
}

TAccessible TMemo::Accessible() {
  TAccessible a = Describe(TRole::Text, std::string());
  a.value = Text();
  if (ReadOnly) a.state |= kAsReadOnly;
  return a;
}

void TMemo::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Notify(kChText);
}

std::string TMemo::Text() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i];
  }
  return text;
}

// ---- TListBox

void TListBox::Clear() {
  items_.clear();
  itemIndex_ = -1;
  topIndex_ = 0;
  Notify(kChItems | kChSelection);
}

void TListBox::Add(const std::string& item) {
  items_.push_back(item);
  Notify(kChItems);
}

void TListBox::AddAll(const std::vector<std::string>& items) {
  items_.insert(items_.end(), items.begin(), items.end());
  Notify(kChItems);
}

void TListBox::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  if (itemIndex_ >= Count() || itemIndex_ == index) itemIndex_ = -1;
  else if (itemIndex_ > index) --itemIndex_;
  topIndex_ = std::min(topIndex_, std::max(0, Count() - 1));
  Notify(kChItems | kChSelection);
}

void TListBox::SetItemIndex(int index) {
  itemIndex_ = (index >= 0 && index < Count()) ? index : -1;
  Notify(kChSelection);
}

void TListBox::SetTopIndex(int index) {
  topIndex_ = std::clamp(index, 0, std::max(0, Count() - 1));
  Notify(kChSelection);
}

void TListBox::UserSelect(int index) {
  SetItemIndex(index);
  if (OnClick) OnClick();
}

TAccessible TListBox::Part(int index) const {
  TAccessible a;
  a.name = items_.at(static_cast<std::size_t>(index));
  a.role = TRole::ListItem;
  a.state = kAsSelectable | kAsFocusable | (index == itemIndex_ ? kAsSelected : 0u);
  if (!Showing()) a.state |= kAsInvisible;
  a.defaultAction = "Select";
  return a;
}

bool TListBox::DoPartDefault(int index) {
  if (index < 0 || index >= Count() || !Enabled() || !Showing()) return false;
  UserSelect(index);
  return true;
}

// ---- TListView

TMenuItem* TPopupMenu::Find(const std::string& name) {
  for (TMenuItem& item : Items) {
    if (item.name == name) return &item;
  }
  return nullptr;
}

void TListView::BeginUpdate() { ++updateDepth_; }

void TListView::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    ++redraws_;
    Notify(kChItems | kChSelection | kChRedraw);
  }
}

void TListView::ItemsChanged() {
  if (updateDepth_ > 0) return;
  ++redraws_;
  Notify(kChItems | kChSelection | kChRedraw);
}

int TListView::SelCount() const {
  return static_cast<int>(std::count_if(Items.begin(), Items.end(), [](const TListItem& i) { return i.Selected; }));
}

void TListView::ClickColumn(int column) {
  if (OnColumnClick) OnColumnClick(column);
}

void TListView::SelectOnly(int index) {
  for (std::size_t i = 0; i < Items.size(); ++i) Items[i].Selected = static_cast<int>(i) == index;
  ItemsChanged();
  SelectionPulled();
}

void TListView::SelectionPulled() {
  if (OnSelectItem) OnSelectItem();
}

void TListView::ToggleCheck(int index) {
  if (!CheckBoxes || index < 0 || index >= static_cast<int>(Items.size()) || !Enabled()) return;
  Items[static_cast<std::size_t>(index)].Checked = !Items[static_cast<std::size_t>(index)].Checked;
  ItemsChanged();
}

bool TListView::KeyDown(int key, unsigned shift) {
  if (!CheckBoxes || key != kVkSpace || shift != kShiftNone) return false;
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (Items[i].Selected) ToggleCheck(static_cast<int>(i));
  }
  return true;
}

TAccessible TListView::Part(int index) const {
  const TListItem& item = Items.at(static_cast<std::size_t>(index));
  TAccessible a;
  a.name = item.Caption;
  if (!item.SubItems.empty()) a.value = item.SubItems.front();
  a.role = TRole::ListItem;
  a.state = kAsSelectable | (item.Selected ? kAsSelected : 0u);
  if (CheckBoxes) {
    if (item.Checked) a.state |= kAsChecked;
    a.defaultAction = item.Checked ? "Uncheck" : "Check";
  }
  if (!Showing()) a.state |= kAsInvisible;
  return a;
}

bool TListView::DoPartDefault(int index) {
  if (!CheckBoxes || index < 0 || index >= static_cast<int>(Items.size()) || !Enabled() || !Showing()) return false;
  ToggleCheck(index);
  return true;
}

// ---- TImage

void TImage::SetPicture(std::shared_ptr<const TBitmap> picture) {
  picture_ = std::move(picture);
  Notify(kChPicture);
}

// ---- TNavBar

void TNavBar::SetOpenSection(int section) {
  if (section < 0 || section >= static_cast<int>(Sections.size())) return;
  open_ = section;
  Notify(kChSelection);
}

int TNavBar::Selected(int section) const {
  const Section& s = Sections.at(section);
  return s.style == Style::Select ? s.selected : -1;
}

void TNavBar::Select(int section, int item) {
  Section& s = Sections.at(section);
  if (s.style != Style::Select) return;
  s.selected = item;
  Notify(kChSelection);
}

void TNavBar::ClearSelection(int section) {
  Sections.at(section).selected = -1;
  Notify(kChSelection);
}

void TNavBar::ClickItem(int section, int item) {
  Section& s = Sections.at(section);
  SetFocusPlace(Place{section, item});
  if (s.style == Style::Select && s.selected != item) Select(section, item);
  // Copies: a handler may change the bar.
  auto handler = s.items.at(item).onClick;
  auto command = s.items.at(item).command;
  if (handler) handler();
  if (command) command();
}

void TNavBar::ClickSection(int section) {
  SetOpenSection(section);
  SetFocusPlace(Place{section, -1});
  auto handler = Sections.at(section).onButtonClick;
  if (handler) handler();
}

int TNavBar::SectionOf(const std::string& listName) const {
  for (std::size_t i = 0; i < Sections.size(); ++i) {
    if (Sections[i].listName == listName) return static_cast<int>(i);
  }
  return -1;
}

std::vector<TNavBar::Place> TNavBar::Places() const {
  std::vector<Place> places;
  for (int s = 0; s < static_cast<int>(Sections.size()); ++s) {
    places.push_back(Place{s, -1});
    if (s != open_) continue;
    for (int i = 0; i < static_cast<int>(Sections[s].items.size()); ++i) places.push_back(Place{s, i});
  }
  return places;
}

TNavBar::Place TNavBar::FocusPlace() const {
  // An item of a section that has since closed: its section's button stands for it.
  if (focus_.item >= 0 && focus_.section != open_) return Place{focus_.section, -1};
  const int sections = static_cast<int>(Sections.size());
  if (focus_.section < 0 || focus_.section >= sections) return Place{open_, -1};
  if (focus_.item >= static_cast<int>(Sections[focus_.section].items.size())) return Place{focus_.section, -1};
  return focus_;
}

void TNavBar::SetFocusPlace(const Place& place) {
  if (focus_ == place) return;
  focus_ = place;
  Notify(kChFocus);
}

void TNavBar::MoveFocus(int delta) {
  const std::vector<Place> places = Places();
  if (places.empty()) return;
  const auto at = std::find(places.begin(), places.end(), FocusPlace());
  const int index = at == places.end() ? 0 : static_cast<int>(at - places.begin());
  SetFocusPlace(places[static_cast<std::size_t>(std::clamp(index + delta, 0, static_cast<int>(places.size()) - 1))]);
}

bool TNavBar::KeyDown(int key, unsigned shift) {
  if (shift != kShiftNone) return false;
  switch (key) {
    case kVkUp:
      MoveFocus(-1);
      return true;
    case kVkDown:
      MoveFocus(1);
      return true;
    case kVkReturn:
    case kVkSpace: {
      const Place place = FocusPlace();
      if (place.section >= static_cast<int>(Sections.size())) return true;
      if (place.item < 0) {
        ClickSection(place.section);
      } else {
        ClickItem(place.section, place.item);
      }
      return true;
    }
    default:
      return false;
  }
}

int TNavBar::PartCount() const {
  int count = 0;
  for (const Section& s : Sections) count += 1 + static_cast<int>(s.items.size());
  return count;
}

int TNavBar::PartOf(const Place& place) const {
  int index = 0;
  for (int s = 0; s < place.section && s < static_cast<int>(Sections.size()); ++s) {
    index += 1 + static_cast<int>(Sections[s].items.size());
  }
  return index + 1 + place.item;
}

TNavBar::Place TNavBar::PlaceOfPart(int index) const {
  for (int s = 0; s < static_cast<int>(Sections.size()); ++s) {
    const int size = 1 + static_cast<int>(Sections[s].items.size());
    if (index < size) return Place{s, index - 1};
    index -= size;
  }
  return Place{-1, -1};
}

TAccessible TNavBar::Part(int index) const {
  const Place place = PlaceOfPart(index);
  TAccessible a;
  if (place.section < 0) return a;
  const Section& s = Sections[static_cast<std::size_t>(place.section)];
  a.role = TRole::OutlineItem;
  a.defaultAction = "Open";
  a.state = kAsFocusable;
  if (place.item < 0) {
    a.name = s.caption;
    a.state |= place.section == open_ ? kAsExpanded : kAsCollapsed;
  } else {
    a.name = s.items[static_cast<std::size_t>(place.item)].caption;
    a.state |= kAsSelectable;
    if (place.section != open_) a.state |= kAsInvisible;
    if (Selected(place.section) == place.item) a.state |= kAsSelected;
  }
  if (!Showing()) a.state |= kAsInvisible;
  if (const_cast<TNavBar*>(this)->Focused() && FocusPlace() == place) a.state |= kAsFocused;
  return a;
}

bool TNavBar::DoPartDefault(int index) {
  const Place place = PlaceOfPart(index);
  if (place.section < 0 || !Enabled() || !Showing()) return false;
  if (place.item < 0) {
    ClickSection(place.section);
  } else {
    // An item of a closed section is out of sight: its section opens first, as a user's would.
    if (place.section != open_) SetOpenSection(place.section);
    ClickItem(place.section, place.item);
  }
  return true;
}

// ---- TForm

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TForm::SetActiveControl(TControl* control) { active_ = control; }

namespace {

// Whether Tab can reach `control` or a control inside it.
bool Reachable(const TControl& control) {
  if (!control.Visible() || !control.Enabled()) return false;
  if (control.TabStop()) return true;
  return std::any_of(control.Children().begin(), control.Children().end(),
                     [](const TControl* child) { return Reachable(*child); });
}

void CollectTabOrder(const TControl& container, std::vector<TControl*>& order) {
  std::vector<TControl*> stops;
  for (TControl* child : container.Children()) {
    if (Reachable(*child)) stops.push_back(child);
  }
  std::stable_sort(stops.begin(), stops.end(), [](const TControl* a, const TControl* b) {
    return a->Bounds().top != b->Bounds().top ? a->Bounds().top < b->Bounds().top
                                              : a->Bounds().left < b->Bounds().left;
  });
  for (std::size_t first = 0; first < stops.size();) {
    const TRect lead = stops[first]->Bounds();
    const int middle = lead.top + lead.height / 2;
    std::size_t end = first + 1;
    while (end < stops.size() && stops[end]->Bounds().top < middle) ++end;
    std::stable_sort(stops.begin() + static_cast<std::ptrdiff_t>(first), stops.begin() + static_cast<std::ptrdiff_t>(end),
                     [](const TControl* a, const TControl* b) { return a->Bounds().left < b->Bounds().left; });
    for (std::size_t i = first; i < end; ++i) {
      if (stops[i]->TabStop()) {
        order.push_back(stops[i]);
      } else {
        CollectTabOrder(*stops[i], order);
      }
    }
    first = end;
  }
}

}  // namespace

std::vector<TControl*> TForm::TabOrder() {
  std::vector<TControl*> order;
  CollectTabOrder(*this, order);
  return order;
}

void TForm::FocusNext(bool backward) {
  const std::vector<TControl*> order = TabOrder();
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), ActiveControl());
  const int count = static_cast<int>(order.size());
  int index = 0;
  if (at == order.end()) {
    index = backward ? count - 1 : 0;
  } else {
    index = (static_cast<int>(at - order.begin()) + (backward ? count - 1 : 1)) % count;
  }
  order[static_cast<std::size_t>(index)]->SetFocus();
}

bool TForm::PressKey(int key, unsigned shift) {
  if (KeyDown(key, shift)) return true;
  if (key == kVkTab && !(shift & (kCtrl | kAlt))) {
    FocusNext((shift & kShift) != 0);
    return true;
  }
  TControl* focused = ActiveControl();
  return focused != nullptr && focused->Showing() && focused->Enabled() && focused->KeyDown(key, shift);
}

TAccessible TForm::Part(int index) const {
  TAccessible a;
  const bool close = index == PartCount() - 1;
  if (index == 0) {
    a.name = caption_;
    a.role = TRole::TitleBar;
  } else {
    a.name = close ? "Close" : "Minimize";
    a.role = TRole::PushButton;
    a.defaultAction = "Press";
  }
  if (!Visible() || closed_) a.state |= kAsInvisible;
  return a;
}

bool TForm::DoPartDefault(int index) {
  if (index <= 0 || index >= PartCount()) return false;
  if (index == PartCount() - 1) {
    Close();
  } else {
    Minimize();
  }
  return true;
}

bool TForm::KeyDown(int, unsigned) { return false; }

void TForm::KeyUp(int, unsigned) {}

void TForm::Close() {
  if (closed_) return;
  closed_ = true;
  if (OnClose) OnClose();
  Notify(kChVisible);
}

}  // namespace ui
