// The navigation bar: its three sections and one row per item. A row says where the item sits,
// its caption and icon, the command that shows its page, the list it loads and the commands run
// once the page shows. Adding a page is one row here and its commands in the command table.
#include "app/MainForm.h"
#include "resources/resource.h"

namespace nq {
namespace {

struct TSectionRow {
  const char* buttonName;
  const char* caption;
  const char* listName;
  ui::TNavBar::Style style;
  int selected;  // the item selected at start, -1 for none
};

// By TMainForm::Section.
constexpr TSectionRow kSections[] = {
    {"BtnNorvane", "Norvane", "fcBarList", ui::TNavBar::Style::Select, 0},
    {"BtnPrivacy", "Quillet", "fcBarList2", ui::TNavBar::Style::Select, 0},
    {"btnSetup", "Customize IE", "fcBarList1", ui::TNavBar::Style::Click, -1},
};

}  // namespace

const std::vector<TMainForm::TNavItem>& TMainForm::NavItems() {
  using C = TCommandId;
  // In the order the items stand in their sections.
  static const std::vector<TNavItem> items = {
      {secNorvane, "IE Repair", NAVICON_IE_REPAIR, C::GrpNorvaneAct},
      {secNorvane, "StartUp", NAVICON_STARTUP, C::GrpCleanAct, lkStartup, {C::AutoRunAct}, C::AutoRunDelete},
      {secNorvane, "Context Menu", NAVICON_CONTEXT_MENU, C::GrpCleanAct, lkContextMenu, {C::GetMenuAct},
       C::DelMenuExtAct},
      {secNorvane, "Toolbar Button", NAVICON_TOOLBAR_BUTTON, C::GrpCleanAct, lkToolbarButton,
       {C::GetExtensionsAct}, C::DeleteExtensionAct},
      {secNorvane, "Browsers", NAVICON_BROWSERS, C::GrpBrowserAct, lkNone, {C::GetBrowsersAct}},
      {secPrivacy, "Protect Privacy", NAVICON_PROTECT_PRIVACY, C::GrpHistoryAct},
      {secPrivacy, "Manage Address", NAVICON_MANAGE_ADDRESS, C::GrpCleanAct, lkTypedAddress, {C::GetUrlAct},
       C::DelUrlAct, true},
      {secPrivacy, "Manage Cookies", NAVICON_MANAGE_COOKIES, C::GrpCookieAct, lkNone, {C::LoadCookies}},
      {secSetup, "Toolbar WallPaper", NAVICON_TOOLBAR_WALLPAPER, C::GrpSetUpAct, lkNone,
       {C::BmpListboxLoad, C::BmpGetAct}},
  };
  return items;
}

const TMainForm::TNavItem* TMainForm::NavItem(int section, int index) {
  if (index < 0) return nullptr;
  for (const TNavItem& item : NavItems()) {
    if (item.section != section) continue;
    if (index-- == 0) return &item;
  }
  return nullptr;
}

const TMainForm::TNavItem* TMainForm::NavItemOf(TListKind kind) {
  if (kind == lkNone) return nullptr;
  for (const TNavItem& item : NavItems()) {
    if (item.kind == kind) return &item;
  }
  return nullptr;
}

void TMainForm::LayOutNavigation() {
  NavBar.Sections.clear();
  for (const TSectionRow& row : kSections) {
    NavBar.Sections.push_back({row.buttonName, row.caption, row.listName, row.style, {}, row.selected, {}});
  }
  for (const TNavItem& item : NavItems()) {
    NavBar.Sections[static_cast<std::size_t>(item.section)].items.push_back({item.caption, item.icon, {}, {}});
  }
}

void TMainForm::WireNavigation() {
  for (std::size_t s = 0; s < NavBar.Sections.size(); ++s) {
    const int section = static_cast<int>(s);
    NavBar.Sections[s].onButtonClick = [this, section] { Dispatch([this, section] { SectionClick(section); }); };
  }
  std::vector<std::size_t> next(NavBar.Sections.size(), 0);
  for (const TNavItem& row : NavItems()) {
    ui::TNavBar::Item& item = NavBar.Sections[static_cast<std::size_t>(row.section)].items[next[row.section]++];
    const TNavItem* at = &row;
    item.onClick = [this, at] { Dispatch([this, at] { NavItemClick(*at); }); };
    if (!row.load.empty()) {
      item.command = [this, at] {
        Dispatch([this, at] {
          for (const TCommandId id : at->load) Run(id);
        });
      };
    }
  }
}

// A section's button: its list keeps no selection.
void TMainForm::SectionClick(int section) { NavBar.ClearSelection(section); }

// An item's click: its page shows. An entry list's item also stays selected in its section (the
// "Date:" line reads it) and shows "Clean TypedURLS" or hides it, as its row says. What the row
// loads runs next, as the item's command.
void TMainForm::NavItemClick(const TNavItem& item) {
  if (item.kind != lkNone) {
    int index = 0;
    for (const TNavItem& row : NavItems()) {
      if (&row == &item) break;
      if (row.section == item.section) ++index;
    }
    NavBar.Select(item.section, index);
  }
  Run(item.page);
  if (item.kind != lkNone) CleanTypedUrlsButton.SetVisible(item.cleanButton);
}

}  // namespace nq
