// TMainForm: the program's one window. It owns every page, every control and every piece of state
// the program keeps. Its commands are methods named after the command with "Execute" appended;
// each page's handlers live beside it in app/ (RepairPage.cpp, EntryPage.cpp, ...) and call the
// feature folders' functions (repair/, entries/, privacy/, customise/, browsers/). The navigation
// bar's items are one table (Navigation.cpp).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browsers/Findings.h"
#include "entries/Entries.h"
#include "ui/Widgets.h"

namespace nq {

inline constexpr const char* kProductName = "Norvane And Quillet";


// The main window's commands, by the names the system gives them. The table in MainForm.cpp
// gives each its key, handler and enabling rule; buttons, navigation items, menu items and keys
// name a command by its entry here, so a mistyped one does not compile.
enum class TCommandId {
  AutoRunAct, AutoRunDate, AutoRunDelete, GetUrlAct,
  DelUrlAct, CleanUrlAct, GetMenuAct, DelMenuExtAct,
  CleanIE, ProtectIE, BmpGetAct, BmpSetAct,
  BmpListboxLoad, BmpListChange, ListBoxIndex, bmpCleanAct,
  IEDelete, GrpCleanAct, GrpNorvaneAct, GrpSetUpAct,
  GrpCookieAct, GrpHistoryAct, IERefresh, HelpAct,
  GetExtensionsAct, DeleteExtensionAct, CleanIEDelAuto, DeleteCookie,
  SearchCookie, LoadCookies, SelectAllAct, SelectNoneAct,
  InvertSelectAct,
  // Today's browsers: show the page, list the findings, show the selected one, repair the ticked,
  // undo the last repair.
  GrpBrowserAct, GetBrowsersAct, BrowserListChange, RepairBrowsersAct, UndoBrowsersAct,
};

class TMainForm;

// One command of the main window: its entry, its name, its key (none when key.key is 0), its
// handler and, for the commands that have one, its enabling rule.
struct TCommand {
  TCommandId id;
  const char* name;
  ui::TShortCut key;
  void (TMainForm::*execute)();
  bool (TMainForm::*update)() = nullptr;
};

class TMainForm : public ui::TForm {
 public:
  TMainForm();
  ~TMainForm() override;

  // ---- state
  int ListKind = lkNone;
  std::string CookieFolder;
  int SortColumn = 0;
  bool SortAscending = false;

  // ---- frame
  ui::TNavBar NavBar{this, "fcBar"};
  ui::TPanel BottomPanel{this, "FlatPanel1"};
  ui::TButton AboutButton{&BottomPanel, "FlatSpeedButton10"};  // "About..."
  ui::TImage ProductLinkBullet{&BottomPanel, "Image1"};
  ui::TImage NoticeLinkBullet{&BottomPanel, "Image2"};
  ui::TLabel ProductLink{&BottomPanel, "Label5"};
  ui::TLabel NoticeLink{&BottomPanel, "Label6"};

  // ---- repair page
  ui::TPanel RepairPage{this, "GroupBoxNorvane"};
  ui::TLabel RepairIntroLabel{&RepairPage, "Label8"};
  ui::TLabel FeaturesLabel{&RepairPage, "Label7"};
  ui::TBevel FeaturesLeftBevel{&RepairPage, "Bevel3"};
  ui::TBevel FeaturesRightBevel{&RepairPage, "Bevel2"};
  ui::TListBox FeatureListBox{&RepairPage, "ListBox1"};
  ui::TCheckBox AutoCleanCheckBox{&RepairPage, "chkDelAuto"};
  ui::TButton RepairButton{&RepairPage, "FlatSpeedButton4"};  // "Repair IE"
  ui::TButton HelpButton{&RepairPage, "BtnHelp"};
  ui::TButton ExitButton{&RepairPage, "FlatSpeedButton11"};  // "Exit"

  // ---- entry list page
  ui::TPanel EntryListPage{this, "GroupBoxClean"};
  ui::TListBox EntryListBox{&EntryListPage, "Listbox"};
  ui::TBevel DetailsBevel{&EntryListPage, "Bevel1"};
  ui::TLabel ItemLabel{&EntryListPage, "Label1"};
  ui::TLabel ItemValueLabel{&EntryListPage, "lblValue"};
  ui::TLabel DateLabel{&EntryListPage, "Label2"};
  ui::TLabel DateValueLabel{&EntryListPage, "lblDate"};
  ui::TButton CleanTypedUrlsButton{&EntryListPage, "BtnCleanIEBar"};
  ui::TButton RefreshEntriesButton{&EntryListPage, "FlatSpeedButton2"};  // "Refresh"
  ui::TButton DeleteEntryButton{&EntryListPage, "FlatSpeedButton1"};  // "Delete"

  // ---- trace cleaner page
  ui::TPanel TraceCleanerPage{this, "GroupBoxHistory"};
  ui::TMemo TraceIntroMemo{&TraceCleanerPage, "Memo2"};
  ui::TButton EraseTracksButton{&TraceCleanerPage, "FlatSpeedButton9"};  // "Erase Tracks"

  // ---- cookie page
  ui::TPanel CookiePage{this, "GroupBoxCookie"};
  ui::TListView CookieListView{&CookiePage, "ListView"};
  ui::TPopupMenu CookiePopupMenu;
  ui::TButton FindCookiesButton{&CookiePage, "FlatSpeedButton8"};  // "Find Cookies"
  ui::TButton RefreshCookiesButton{&CookiePage, "FlatSpeedButton7"};  // "Refresh"
  ui::TButton DeleteCookiesButton{&CookiePage, "FlatSpeedButton6"};  // "Delete"

  // ---- toolbar wallpaper page
  ui::TPanel WallpaperPage{this, "GroupBoxBackMap"};
  ui::TImage WallpaperPreview{&WallpaperPage, "coolbarBMP"};  // the preview band with Image7 over it
  ui::TLabel SelectImageLabel{&WallpaperPage, "Label3"};
  ui::TListBox WallpaperListBox{&WallpaperPage, "ListBoxbmp"};
  ui::TButton ApplyWallpaperButton{&WallpaperPage, "FlatButton1"};  // "Apply"
  ui::TButton ClearWallpaperButton{&WallpaperPage, "FlatSpeedButton5"};  // "Clear Wallpaper"

  // ---- browsers page: what a hijacker set in today's browsers, ticked for the repair
  TFindings Findings;  // the list's rows, in order
  ui::TPanel BrowsersPage{this, "GroupBoxBrowsers"};
  ui::TLabel BrowsersIntroLabel{&BrowsersPage, "lblBrowsers"};
  ui::TListView FindingListView{&BrowsersPage, "lvFindings"};
  ui::TLabel FindingDetailLabel{&BrowsersPage, "lblFinding"};
  ui::TButton RefreshBrowsersButton{&BrowsersPage, "BtnBrowsersRefresh"};  // "Refresh"
  ui::TButton UndoBrowsersButton{&BrowsersPage, "BtnBrowsersUndo"};  // "Undo": enabled while a repair can be undone
  ui::TButton RepairBrowsersButton{&BrowsersPage, "BtnBrowsersRepair"};  // "Repair"

  // ---- the navigation bar's sections and the pages, by index
  enum Section : int { secNorvane = 0, secPrivacy = 1, secSetup = 2 };
  std::vector<ui::TPanel*> Pages() {
    return {&RepairPage, &EntryListPage, &TraceCleanerPage, &CookiePage, &WallpaperPage, &BrowsersPage};
  }

  // One item of the navigation bar: where it sits, what it shows and what it loads. Adding a page
  // is one row of NavItems() (Navigation.cpp).
  struct TNavItem {
    Section section;
    const char* caption;
    int icon;                                  // cell of the navigation icon strip
    TCommandId page;                           // shows the item's page
    TListKind kind = lkNone;                   // the entry list it shows, if any
    std::vector<TCommandId> load{};            // run after the page shows, in order
    std::optional<TCommandId> erase{};         // deletes the selected entry of its list
    bool cleanButton = false;                  // shows "Clean TypedURLS" under its list
  };
  static const std::vector<TNavItem>& NavItems();
  // The row of a section's item, and of the list kind loaded; null for none.
  static const TNavItem* NavItem(int section, int index);
  static const TNavItem* NavItemOf(TListKind kind);

  // ---- the command table, and running a command or handler with the error report around it
  static const std::vector<TCommand>& Commands();
  static const TCommand& FindCommand(TCommandId id);
  // By name, for a test that looks a command up as the system names it; null for none.
  static const TCommand* FindCommand(const std::string& name);
  // Runs a command (its enabling rule first, when it has one). False when it is disabled.
  bool Run(TCommandId command);
  // Runs `handler`; an exception that escapes it is shown by the error report.
  void Dispatch(const std::function<void()>& handler);
  // The error report's text for an error message, and the report itself (an error box).
  static std::string ErrorReportText(const std::string& message);
  static void ShowErrorReport(const std::string& message);

  // The message boxes of the program (title "Norvane And Quillet", no icon): a report with OK, a
  // question with OK and Cancel, and one with Yes and No.
  void Report(const std::string& text);
  bool Confirm(const std::string& text);
  bool Ask(const std::string& text);

  bool KeyDown(int key, unsigned shift) override;
  void KeyUp(int key, unsigned shift) override;

  // The command running now (the innermost, when one runs another); nullopt between commands.
  std::optional<TCommandId> RunningCommand() const { return running_; }
  // Called with every command as it starts, nested ones included (a test's trace).
  std::function<void(TCommandId)> OnCommand;

  // ---- handlers that are not commands (application shell)
  void FormShow();
  void FormKeyUp(int key, unsigned shift);
  void SectionClick(int section);
  void NavItemClick(const TNavItem& item);
  void AboutButtonClick();
  void ExitButtonClick();
  void ProductLinkClick();
  void NoticeLinkClick();

  // ---- page commands
  void GrpNorvaneActExecute();
  void GrpCleanActExecute();
  void GrpHistoryActExecute();
  void GrpCookieActExecute();
  void GrpSetUpActExecute();
  void HelpActExecute();

  // ---- browser repair (repair/)
  void CleanIEExecute();
  void CleanIEDelAutoExecute();
  void ProtectIEExecute();

  // ---- entry list page (entries/): the load and delete commands of every kind of list run these
  // two, for the kind whose navigation row names the running command.
  void LoadEntriesExecute();
  void DeleteEntryExecute();
  void AutoRunDateExecute();
  void CleanUrlActExecute();
  void ListBoxIndexExecute();
  void IEDeleteExecute();
  void IERefreshExecute();
  void EntryListBoxKeyUp(int key, unsigned shift);

  // ---- trace cleaner (privacy/)
  void EraseTracksButtonClick();

  // ---- cookie manager (privacy/)
  void LoadCookiesExecute();
  void CookieListViewColumnClick(int column);
  int CookieListViewCompare(const ui::TListItem& item1, const ui::TListItem& item2) const;
  void DeleteCookieExecute();
  bool DeleteCookieUpdate();
  void SearchCookieExecute();
  void SelectAllActExecute();
  void SelectNoneActExecute();
  void InvertSelectActExecute();

  // ---- toolbar wallpaper (customise/)
  void BmpListboxLoadExecute();
  void BmpGetActExecute();
  void BmpListChangeExecute();
  void BmpSetActExecute();
  void bmpCleanActExecute();

  // ---- browsers page (browsers/)
  void GrpBrowserActExecute();
  void GetBrowsersActExecute();
  void BrowserListChangeExecute();
  void RepairBrowsersActExecute();
  void UndoBrowsersActExecute();
  // The repair's report: how many ticked findings went, which were refused, and which the list
  // read again after the repair still holds though the repair did not refuse them.
  static std::string BrowserRepairReport(std::size_t repaired, const TFindings& refused,
                                         const TFindings& stillPresent = {});
  // The undo's report: how many findings are back, and what of the record was refused and why.
  static std::string BrowserUndoReport(std::size_t restored, const TChanges& refused);

  // Opens the About box; the application installs how (a real modal window, or a test's hook).
  static std::function<void(TMainForm&)> ShowAboutBox;

 private:
  void LayOut();
  void LayOutNavigation();
  void Wire();
  void WireNavigation();
  // Runs a command's handler (no enabling rule), with RunningCommand and OnCommand kept.
  void Execute(const TCommand& command);
  std::optional<TCommandId> running_;
};

}  // namespace nq
