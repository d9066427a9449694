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

void TButton::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TButton::Click() {
  if (OnClick && Enabled() && Showing()) OnClick();
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
  if (s.style == Style::Select && s.selected != item) Select(section, item);
  // Copies: a handler may change the bar.
  auto handler = s.items.at(item).onClick;
  auto command = s.items.at(item).command;
  if (handler) handler();
  if (command) command();
}

void TNavBar::ClickSection(int section) {
  SetOpenSection(section);
  auto handler = Sections.at(section).onButtonClick;
  if (handler) handler();
}

int TNavBar::SectionOf(const std::string& listName) const {
  for (std::size_t i = 0; i < Sections.size(); ++i) {
    if (Sections[i].listName == listName) return static_cast<int>(i);
  }
  return -1;
}

// ---- TForm

void TForm::SetCaption(const std::string& caption) {
  caption_ = caption;
  Notify(kChText);
}

void TForm::SetActiveControl(TControl* control) { active_ = control; }

bool TForm::KeyDown(int, unsigned) { return false; }

void TForm::KeyUp(int, unsigned) {}

void TForm::Close() {
  if (closed_) return;
  closed_ = true;
  if (OnClose) OnClose();
  Notify(kChVisible);
}

}  // namespace ui
