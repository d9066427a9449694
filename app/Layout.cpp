// The main window's layout: every control's place, size, caption, colour and font, and the
// wiring of clicks to handlers. Positions are pixels from the top left of the parent's client area.
#include <optional>

#include "app/MainForm.h"
#include "app/Product.h"
#include "resources/resource.h"

namespace nq {
namespace {

using ui::Rgb;

ui::TFont Verdana(int size, bool pixels = false, ui::TColor color = ui::kClBlack) {
  return ui::TFont{"Verdana", size, pixels, false, color};
}

void Button(ui::TButton& b, int left, int top, int width, int height, const char* caption) {
  b.SetBounds(left, top, width, height);
  b.SetCaption(caption);
  b.SetFont(Verdana(9));
}

void LabelAt(ui::TLabel& l, int left, int top, int width, int height, const char* caption) {
  l.SetBounds(left, top, width, height);
  l.SetCaption(caption);
}

// The cookie list's context menu: each item and the command it runs (none for the separator).
struct TMenuRow {
  const char* name;
  const char* caption;
  std::optional<TCommandId> command;
};

constexpr TMenuRow kCookieMenu[] = {
    {"N1", "Select All(&A)", TCommandId::SelectAllAct},
    {"N2", "Unselect(&Z)", TCommandId::SelectNoneAct},
    {"V1", "Invert select(&I)", TCommandId::InvertSelectAct},
    {"N3", "-", std::nullopt},
    {"DeleteCookiePopup", "Delete Cookies(&D)", TCommandId::DeleteCookie},
    {"LoadCookiesPopup", "Refresh(&R)", TCommandId::LoadCookies},
    {"SearchCookie1", "Find Cookies...(&F)", TCommandId::SearchCookie},
};

}  // namespace

void TMainForm::LayOut() {
  SetBounds(0, 0, 534, 402);
  Left = 271;
  Top = 129;
  SetColor(ui::kClBlue);
  SetFont(Verdana(9));

  // Navigation bar: three sections, the first open, "IE Repair" and "Protect Privacy" selected.
  NavBar.SetBounds(0, 29, 113, 373);
  NavBar.SetColor(ui::kClBlue);
  LayOutNavigation();

  // The pages share one rectangle; the repair page shows at start.
  RepairPage.SetBounds(120, 28, 400, 301);
  for (ui::TPanel* page : {&EntryListPage, &TraceCleanerPage, &CookiePage, &WallpaperPage, &BrowsersPage}) {
    page->SetBounds(120, 28, 400, 300);
    page->Hide();
  }
  for (ui::TPanel* page : Pages()) page->SetColor(ui::kClBlue);

  // Bottom panel.
  BottomPanel.SetBounds(120, 344, 409, 57);
  BottomPanel.SetColor(ui::kClBlue);
  Button(AboutButton, 9, 16, 72, 33, "About...");
  AboutButton.Glyph = IDB_ABOUT_GLYPH;
  ProductLinkBullet.SetBounds(176, 11, 12, 12);
  ProductLinkBullet.OverlayResource = IDB_BULLET;
  NoticeLinkBullet.SetBounds(176, 36, 12, 12);
  NoticeLinkBullet.OverlayResource = IDB_BULLET;
  for (ui::TLabel* l : {&ProductLink, &NoticeLink}) {
    l->SetColor(ui::kClGreen);
    l->SetCursor(ui::TCursor::HandPoint);
  }
  LabelAt(ProductLink, 192, 10, 209, 17, kProductName);
  LabelAt(NoticeLink, 192, 32, 209, 17, kNotice);

  // Repair page.
  LabelAt(RepairIntroLabel, 16, 16, 324, 42,
          "      Norvane can easily repair Internet Explorer Browser affected by a malicious Web site. "
          "You can  restore IE default settings with just one click!");
  RepairIntroLabel.WordWrap = true;
  RepairIntroLabel.AutoSize = true;  // the font's lines at 125 % run a pixel over the scaled height
  RepairIntroLabel.Transparent = true;
  RepairIntroLabel.SetFont(Verdana(12, true, ui::kClLime));
  LabelAt(FeaturesLabel, 112, 64, 41, 13, "Features");
  FeaturesLabel.Transparent = true;
  FeaturesLabel.AutoSize = true;
  FeaturesLabel.SetFont(ui::TFont{"MS Sans Serif", 12, true, false, ui::kClLime});
  FeaturesLeftBevel.SetBounds(8, 72, 102, 2);
  FeaturesRightBevel.SetBounds(160, 72, 129, 2);
  FeatureListBox.SetBounds(16, 80, 273, 185);
  FeatureListBox.SetColor(ui::kClCream);
  FeatureListBox.SetFont(Verdana(11, true));
  FeatureListBox.ItemHeight = 16;
  FeatureListBox.Border = false;
  FeatureListBox.AddAll({"Repair  IE Default Page", "Repair  IE Homepage", "Repair  IE Window Title",
                   "Repair  IE Start Page", "Repair  IE Default Search Engine", "Repair  IE Links Toolbar Name",
                   "Repair  Earth DisplayName ", "Cancel IE Internet Options Restrictions",
                   "Cancel IE Menu Items  Restrictions", "Enable RegistryTools(Registry Editor) ",
                   "Clean the popup windows when system starts "});
  AutoCleanCheckBox.SetBounds(16, 272, 273, 17);
  AutoCleanCheckBox.SetCaption("Auto clean the Browser hijack program ");
  AutoCleanCheckBox.SetColor(ui::kClCream);
  AutoCleanCheckBox.SetChecked(true);
  Button(RepairButton, 304, 112, 81, 33, "Repair IE");
  Button(HelpButton, 304, 168, 81, 33, "Help");
  Button(ExitButton, 304, 232, 81, 33, "Exit");

  // Entry list page.
  EntryListBox.SetBounds(8, 16, 385, 177);
  EntryListBox.SetColor(ui::kClCream);
  EntryListBox.ItemHeight = 14;
  DetailsBevel.SetBounds(16, 200, 377, 2);
  LabelAt(ItemLabel, 16, 208, 41, 13, "Item:");
  LabelAt(ItemValueLabel, 56, 208, 337, 13, "");
  LabelAt(DateLabel, 15, 232, 41, 13, "Date:");
  LabelAt(DateValueLabel, 56, 232, 337, 13, "");
  for (ui::TLabel* l : {&ItemLabel, &DateLabel}) {
    l->Transparent = true;
    l->SetFont(Verdana(9, false, ui::kClWhite));
  }
  for (ui::TLabel* l : {&ItemValueLabel, &DateValueLabel}) l->SetColor(ui::kClCream);
  Button(CleanTypedUrlsButton, 16, 256, 121, 33, "Clean TypedURLS");
  CleanTypedUrlsButton.Hide();
  Button(RefreshEntriesButton, 208, 256, 65, 33, "Refresh");
  Button(DeleteEntryButton, 304, 256, 65, 33, "Delete");

  // Trace cleaner page.
  TraceIntroMemo.SetBounds(16, 24, 377, 225);
  TraceIntroMemo.SetColor(ui::kClCream);
  TraceIntroMemo.SetLines({"     Quillet is  very useful  for cleaning up the ",
                  "history of your activities on a computer. Anyone else can ",
                  "see where you have been on Internet and the text, ",
                  "images, movies you have seen, even everything you have ",
                  "done on your PC would leave trace on your PC.",
                  "",
                  "Perhaps you stumbled onto one or two adult web sites. ",
                  "Perhaps by accident. Perhaps on purpose. And you don't ",
                  "want your husband/wife, dad/mom, boss/colleague or ",
                  "anyone else to know you've been there.",
                  "How to protect your privacy, keep your surfing private ?",
                  "",
                  "Quillet is a great privacy tool to protect you with ",
                  "only one click ,you can easily erase all the tracks safely ",
                  "and completely !"});
  Button(EraseTracksButton, 272, 256, 89, 33, "Erase Tracks");

  // Cookie page.
  CookieListView.SetBounds(16, 16, 369, 225);
  CookieListView.SetColor(ui::kClCream);
  CookieListView.Columns = {{"Cookies Files", 180}, {"Web Site", 170}};
  CookieListView.PopupMenu = &CookiePopupMenu;
  CookiePopupMenu.Items.clear();
  for (const TMenuRow& row : kCookieMenu) {
    // An item shows its command's key, as the command table gives it.
    const ui::TShortCut key = row.command ? FindCommand(*row.command).key : ui::TShortCut{};
    CookiePopupMenu.Items.push_back({row.name, row.caption, key, {}, {}});
  }
  Button(FindCookiesButton, 48, 256, 88, 33, "Find Cookies");
  Button(RefreshCookiesButton, 176, 256, 88, 33, "Refresh");
  Button(DeleteCookiesButton, 288, 256, 88, 33, "Delete");

  // Toolbar wallpaper page.
  WallpaperPreview.SetBounds(10, 16, 319, 73);
  WallpaperPreview.Tile = true;
  WallpaperPreview.SetColor(ui::kClBtnHighlight);  // the band's own plain background, behind the wallpaper
  // Image7, the picture of a browser's bars, sits 2 pixels down in a 306 x 73 tool bar 9 pixels in,
  // which cuts it off.
  WallpaperPreview.OverlayResource = IDB_TOOLBAR_PREVIEW;
  WallpaperPreview.OverlayLeft = 9;
  WallpaperPreview.OverlayTop = 2;
  WallpaperPreview.OverlayClip = ui::TRect{9, 0, 306, 73};
  LabelAt(SelectImageLabel, 8, 104, 105, 14, "Select an image:");
  SelectImageLabel.Transparent = true;
  SelectImageLabel.SetFont(Verdana(9, false, ui::kClWhite));
  WallpaperListBox.SetBounds(8, 128, 241, 161);
  WallpaperListBox.SetColor(ui::kClCream);
  WallpaperListBox.ItemHeight = 14;
  Button(ApplyWallpaperButton, 272, 184, 97, 33, "Apply");
  Button(ClearWallpaperButton, 272, 240, 105, 33, "Clear Wallpaper");

  // Browsers page: what was found, ticked for the repair, the selected finding whole below.
  LabelAt(BrowsersIntroLabel, 16, 8, 369, 30,
          "Policies, extensions, shortcuts and tasks that take over Edge, Chrome, Brave and Firefox. "
          "Ticked rows are repaired.");
  BrowsersIntroLabel.WordWrap = true;
  BrowsersIntroLabel.Transparent = true;
  BrowsersIntroLabel.SetFont(Verdana(9, false, ui::kClWhite));
  FindingListView.SetBounds(16, 44, 369, 121);
  FindingListView.SetColor(ui::kClCream);
  FindingListView.CheckBoxes = true;
  FindingListView.Columns = {{"Browser", 80}, {"Where", 150}, {"Finding", 135}};
  LabelAt(FindingDetailLabel, 16, 172, 369, 78, "");
  FindingDetailLabel.WordWrap = true;
  FindingDetailLabel.SetColor(ui::kClCream);
  Button(RefreshBrowsersButton, 112, 256, 65, 33, "Refresh");
  Button(UndoBrowsersButton, 208, 256, 65, 33, "Undo");
  Button(RepairBrowsersButton, 304, 256, 65, 33, "Repair");
  UndoBrowsersButton.SetEnabled(false);  // until the list is read and a record found

  // Names for screen readers where a control has no caption of its own: the label beside it, or
  // what the navigation bar calls its page.
  RepairPage.AccessibleName = "IE Repair";
  EntryListPage.AccessibleName = "Entry list";
  TraceCleanerPage.AccessibleName = "Protect Privacy";
  CookiePage.AccessibleName = "Manage Cookies";
  WallpaperPage.AccessibleName = "Toolbar WallPaper";
  BrowsersPage.AccessibleName = "Browsers";
  FindingListView.AccessibleName = "Findings";
  FindingDetailLabel.AccessibleName = "Finding";
  BottomPanel.LabelledBy = &ProductLink;
  FeatureListBox.LabelledBy = &FeaturesLabel;
  EntryListBox.AccessibleName = "Entries";
  ItemValueLabel.LabelledBy = &ItemLabel;
  DateValueLabel.LabelledBy = &DateLabel;
  TraceIntroMemo.LabelledBy = &TraceCleanerPage;
  CookieListView.AccessibleName = "Cookies";
  WallpaperPreview.AccessibleName = "Toolbar preview";
  WallpaperListBox.LabelledBy = &SelectImageLabel;
  // The keyboard starts in the features list.
  SetActiveControl(&FeatureListBox);
}

void TMainForm::Wire() {
  auto on = [this](void (TMainForm::*handler)()) {
    return [this, handler] { Dispatch([this, handler] { (this->*handler)(); }); };
  };
  auto command = [this](TCommandId id) {
    return [this, id] { Dispatch([this, id] { Run(id); }); };
  };

  WireNavigation();

  AboutButton.OnClick = on(&TMainForm::AboutButtonClick);
  ExitButton.OnClick = on(&TMainForm::ExitButtonClick);
  ProductLink.OnClick = on(&TMainForm::ProductLinkClick);
  NoticeLink.OnClick = on(&TMainForm::NoticeLinkClick);

  RepairButton.OnClick = command(TCommandId::CleanIE);
  HelpButton.OnClick = command(TCommandId::HelpAct);

  EntryListBox.OnClick = command(TCommandId::AutoRunDate);
  EntryListBox.OnKeyUp = [this](int key, unsigned shift) { Dispatch([=, this] { EntryListBoxKeyUp(key, shift); }); };
  CleanTypedUrlsButton.OnClick = command(TCommandId::CleanUrlAct);
  RefreshEntriesButton.OnClick = command(TCommandId::IERefresh);
  DeleteEntryButton.OnClick = command(TCommandId::IEDelete);

  EraseTracksButton.OnClick = on(&TMainForm::EraseTracksButtonClick);

  // The page's buttons run the handlers without their enabling rule: "Delete" is never greyed.
  auto always = [this](TCommandId id) {
    return [this, id] { Dispatch([this, id] { Execute(FindCommand(id)); }); };
  };
  FindCookiesButton.OnClick = always(TCommandId::SearchCookie);
  RefreshCookiesButton.OnClick = always(TCommandId::LoadCookies);
  DeleteCookiesButton.OnClick = always(TCommandId::DeleteCookie);
  CookieListView.OnColumnClick = [this](int column) { Dispatch([=, this] { CookieListViewColumnClick(column); }); };
  for (std::size_t i = 0; i < CookiePopupMenu.Items.size(); ++i) {
    if (kCookieMenu[i].command) CookiePopupMenu.Items[i].onClick = command(*kCookieMenu[i].command);
  }
  CookiePopupMenu.Find("DeleteCookiePopup")->enabled = [this] { return DeleteCookieUpdate(); };

  WallpaperListBox.OnClick = command(TCommandId::BmpListChange);
  ApplyWallpaperButton.OnClick = command(TCommandId::BmpSetAct);
  ClearWallpaperButton.OnClick = command(TCommandId::bmpCleanAct);

  FindingListView.OnSelectItem = command(TCommandId::BrowserListChange);
  RefreshBrowsersButton.OnClick = command(TCommandId::GetBrowsersAct);
  RepairBrowsersButton.OnClick = command(TCommandId::RepairBrowsersAct);
  UndoBrowsersButton.OnClick = command(TCommandId::UndoBrowsersAct);
}

}  // namespace nq
