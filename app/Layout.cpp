// The main window's layout: every control's place, size, caption, colour and font, and the
// wiring of clicks to handlers. Positions are pixels from the top left of the parent's client area.
#include "app/MainForm.h"
#include "app/Product.h"

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

}  // namespace

void TMainForm::LayOut() {
  SetBounds(0, 0, 534, 402);
  Left = 271;
  Top = 129;
  SetColor(ui::kClBlue);
  SetFont(Verdana(9));

  // Navigation bar: three sections, the first open, "IE Repair" and "Protect Privacy" selected.
  fcBar.SetBounds(0, 29, 113, 373);
  fcBar.SetColor(ui::kClBlue);
  fcBar.Sections = {
      {"BtnNorvane", "Norvane", "fcBarList", ui::TNavBar::Style::Select,
       {{"IE Repair", 0, {}, {}}, {"StartUp", 1, {}, {}}, {"Context Menu", 2, {}, {}}, {"Toolbar Button", 7, {}, {}}},
       0, {}},
      {"BtnPrivacy", "Quillet", "fcBarList2", ui::TNavBar::Style::Select,
       {{"Protect Privacy", 4, {}, {}}, {"Manage Address", 5, {}, {}}, {"Manage Cookies", 6, {}, {}}},
       0, {}},
      {"btnSetup", "Customize IE", "fcBarList1", ui::TNavBar::Style::Click, {{"Toolbar WallPaper", 3, {}, {}}}, -1, {}},
  };

  // The five pages share one rectangle; the repair page shows at start.
  GroupBoxNorvane.SetBounds(120, 28, 400, 301);
  for (ui::TPanel* page : {&GroupBoxClean, &GroupBoxHistory, &GroupBoxCookie, &GroupBoxBackMap}) {
    page->SetBounds(120, 28, 400, 300);
    page->Hide();
  }
  for (ui::TPanel* page : Pages()) page->SetColor(ui::kClBlue);

  // Bottom panel.
  FlatPanel1.SetBounds(120, 344, 409, 57);
  FlatPanel1.SetColor(ui::kClBlue);
  Button(FlatSpeedButton10, 9, 16, 72, 33, "About...");
  FlatSpeedButton10.Glyph = 120;  // the "About..." glyph
  Bullet1.SetBounds(176, 11, 12, 12);
  Bullet1.OverlayResource = 121;
  Bullet2.SetBounds(176, 36, 12, 12);
  Bullet2.OverlayResource = 121;
  for (ui::TLabel* l : {&Label5, &Label6}) {
    l->SetColor(ui::kClGreen);
    l->SetCursor(ui::TCursor::HandPoint);
  }
  LabelAt(Label5, 192, 10, 209, 17, kProductName);
  LabelAt(Label6, 192, 32, 209, 17, kNotice);

  // Repair page.
  LabelAt(Label8, 16, 16, 324, 42,
          "      Norvane can easily repair Internet Explorer Browser affected by a malicious Web site. "
          "You can  restore IE default settings with just one click!");
  Label8.WordWrap = true;
  Label8.Transparent = true;
  Label8.SetFont(Verdana(12, true, ui::kClLime));
  LabelAt(Label7, 112, 64, 41, 13, "Features");
  Label7.Transparent = true;
  Label7.AutoSize = true;
  Label7.SetFont(ui::TFont{"MS Sans Serif", 12, true, false, ui::kClLime});
  Bevel3.SetBounds(8, 72, 102, 2);
  Bevel2.SetBounds(160, 72, 129, 2);
  ListBox1.SetBounds(16, 80, 273, 185);
  ListBox1.SetColor(ui::kClCream);
  ListBox1.SetFont(Verdana(11, true));
  ListBox1.ItemHeight = 16;
  ListBox1.Border = false;
  ListBox1.AddAll({"Repair  IE Default Page", "Repair  IE Homepage", "Repair  IE Window Title",
                   "Repair  IE Start Page", "Repair  IE Default Search Engine", "Repair  IE Links Toolbar Name",
                   "Repair  Earth DisplayName ", "Cancel IE Internet Options Restrictions",
                   "Cancel IE Menu Items  Restrictions", "Enable RegistryTools(Registry Editor) ",
                   "Clean the popup windows when system starts "});
  chkDelAuto.SetBounds(16, 272, 273, 17);
  chkDelAuto.SetCaption("Auto clean the Browser hijack program ");
  chkDelAuto.SetColor(ui::kClCream);
  chkDelAuto.SetChecked(true);
  Button(FlatSpeedButton4, 304, 112, 81, 33, "Repair IE");
  Button(BtnHelp, 304, 168, 81, 33, "Help");
  Button(FlatSpeedButton11, 304, 232, 81, 33, "Exit");

  // Entry list page.
  Listbox.SetBounds(8, 16, 385, 177);
  Listbox.SetColor(ui::kClCream);
  Listbox.ItemHeight = 14;
  Bevel1.SetBounds(16, 200, 377, 2);
  LabelAt(Label1, 16, 208, 41, 13, "Item:");
  LabelAt(lblValue, 56, 208, 337, 13, "");
  LabelAt(Label2, 15, 232, 41, 13, "Date:");
  LabelAt(lblDate, 56, 232, 337, 13, "");
  for (ui::TLabel* l : {&Label1, &Label2}) {
    l->Transparent = true;
    l->SetFont(Verdana(9, false, ui::kClWhite));
  }
  for (ui::TLabel* l : {&lblValue, &lblDate}) l->SetColor(ui::kClCream);
  Button(BtnCleanIEBar, 16, 256, 121, 33, "Clean TypedURLS");
  BtnCleanIEBar.Hide();
  Button(FlatSpeedButton2, 208, 256, 65, 33, "Refresh");
  Button(FlatSpeedButton1, 304, 256, 65, 33, "Delete");

  // Trace cleaner page.
  Memo2.SetBounds(16, 24, 377, 225);
  Memo2.SetColor(ui::kClCream);
  Memo2.SetLines({"     Quillet is  very useful  for cleaning up the ",
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
  Button(FlatSpeedButton9, 272, 256, 89, 33, "Erase Tracks");

  // Cookie page.
  ListView.SetBounds(16, 16, 369, 225);
  ListView.SetColor(ui::kClCream);
  ListView.Columns = {{"Cookies Files", 180}, {"Web Site", 170}};
  ListView.PopupMenu = &CookiesPopup;
  CookiesPopup.Items = {
      {"N1", "Select All(&A)", {'A', ui::kCtrl}, {}, {}},
      {"N2", "Unselect(&Z)", {'Z', ui::kCtrl}, {}, {}},
      {"V1", "Invert select(&I)", {'I', ui::kCtrl}, {}, {}},
      {"N3", "-", {}, {}, {}},
      {"DeleteCookiePopup", "Delete Cookies(&D)", {ui::kVkDelete, ui::kShiftNone}, {}, {}},
      {"LoadCookiesPopup", "Refresh(&R)", {ui::kVkF5, ui::kShiftNone}, {}, {}},
      {"SearchCookie1", "Find Cookies...(&F)", {ui::kVkF3, ui::kShiftNone}, {}, {}},
  };
  Button(FlatSpeedButton8, 48, 256, 88, 33, "Find Cookies");
  Button(FlatSpeedButton7, 176, 256, 88, 33, "Refresh");
  Button(FlatSpeedButton6, 288, 256, 88, 33, "Delete");

  // Toolbar wallpaper page.
  coolbarBMP.SetBounds(10, 16, 319, 73);
  coolbarBMP.Tile = true;
  coolbarBMP.SetColor(ui::kClBtnHighlight);  // the band's own plain background, behind the wallpaper
  // Image7, the picture of a browser's bars, sits 2 pixels down in a 306 x 73 tool bar 9 pixels in,
  // which cuts it off.
  coolbarBMP.OverlayResource = 130;
  coolbarBMP.OverlayLeft = 9;
  coolbarBMP.OverlayTop = 2;
  coolbarBMP.OverlayClip = ui::TRect{9, 0, 306, 73};
  LabelAt(Label3, 8, 104, 105, 14, "Select an image:");
  Label3.Transparent = true;
  Label3.SetFont(Verdana(9, false, ui::kClWhite));
  ListBoxbmp.SetBounds(8, 128, 241, 161);
  ListBoxbmp.SetColor(ui::kClCream);
  ListBoxbmp.ItemHeight = 14;
  Button(FlatButton1, 272, 184, 97, 33, "Apply");
  Button(FlatSpeedButton5, 272, 240, 105, 33, "Clear Wallpaper");
}

void TMainForm::Wire() {
  auto on = [this](void (TMainForm::*handler)()) {
    return [this, handler] { Dispatch([this, handler] { (this->*handler)(); }); };
  };
  auto command = [this](const char* name) {
    return [this, name] { Dispatch([this, name] { Run(name); }); };
  };

  auto& norvane = fcBar.Sections[secNorvane];
  auto& privacy = fcBar.Sections[secPrivacy];
  auto& setup = fcBar.Sections[secSetup];
  norvane.onButtonClick = on(&TMainForm::BtnNorvaneClick);
  privacy.onButtonClick = on(&TMainForm::BtnPrivacyClick);
  setup.onButtonClick = on(&TMainForm::btnSetupClick);
  norvane.items[0].onClick = on(&TMainForm::fcBarListItems0Click);
  norvane.items[1].onClick = on(&TMainForm::fcBarListItems1Click);
  norvane.items[1].command = command("AutoRunAct");
  norvane.items[2].onClick = on(&TMainForm::fcBarListItems2Click);
  norvane.items[2].command = command("GetMenuAct");
  norvane.items[3].onClick = on(&TMainForm::fcBarListItems3Click);
  norvane.items[3].command = command("GetExtensionsAct");
  privacy.items[0].onClick = on(&TMainForm::fcBarOutlookList1Items0Click);
  privacy.items[1].onClick = on(&TMainForm::fcBarOutlookList1Items1Click);
  privacy.items[1].command = command("GetUrlAct");
  privacy.items[2].onClick = on(&TMainForm::fcBarOutlookList1Items2Click);
  setup.items[0].onClick = on(&TMainForm::fcBarList1Items0Click);

  FlatSpeedButton10.OnClick = on(&TMainForm::FlatSpeedButton10Click);
  FlatSpeedButton11.OnClick = on(&TMainForm::FlatSpeedButton11Click);
  Label5.OnClick = on(&TMainForm::Label5Click);
  Label6.OnClick = on(&TMainForm::Label6Click);

  FlatSpeedButton4.OnClick = command("CleanIE");
  BtnHelp.OnClick = command("HelpAct");

  Listbox.OnClick = command("AutoRunDate");
  Listbox.OnKeyUp = [this](int key, unsigned shift) { Dispatch([=, this] { ListboxKeyUp(key, shift); }); };
  BtnCleanIEBar.OnClick = command("CleanUrlAct");
  FlatSpeedButton2.OnClick = command("IERefresh");
  FlatSpeedButton1.OnClick = command("IEDelete");

  FlatSpeedButton9.OnClick = on(&TMainForm::FlatSpeedButton9Click);

  // The page's buttons run the handlers themselves: "Delete" is never greyed.
  FlatSpeedButton8.OnClick = on(&TMainForm::SearchCookieExecute);
  FlatSpeedButton7.OnClick = on(&TMainForm::LoadCookiesExecute);
  FlatSpeedButton6.OnClick = on(&TMainForm::DeleteCookieExecute);
  ListView.OnColumnClick = [this](int column) { Dispatch([=, this] { ListViewColumnClick(column); }); };
  const char* menuCommands[] = {"SelectAllAct", "SelectNoneAct", "InvertSelectAct", nullptr,
                                "DeleteCookie", "LoadCookies", "SearchCookie"};
  for (std::size_t i = 0; i < CookiesPopup.Items.size(); ++i) {
    if (menuCommands[i] != nullptr) CookiesPopup.Items[i].onClick = command(menuCommands[i]);
  }
  CookiesPopup.Find("DeleteCookiePopup")->enabled = [this] { return DeleteCookieUpdate(); };

  ListBoxbmp.OnClick = command("BmpListChange");
  FlatButton1.OnClick = command("BmpSetAct");
  FlatSpeedButton5.OnClick = command("bmpCleanAct");
}

}  // namespace nq
