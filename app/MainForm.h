// TMainForm: the program's one window. It owns every page, every control and every piece of state
// the program keeps. Its commands are methods named after the command with "Execute" appended;
// each feature defines its handlers in its own folder (repair/, entries/, privacy/, customise/).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "entries/Entries.h"
#include "ui/Widgets.h"

namespace nq {

inline constexpr const char* kProductName = "Norvane And Quillet";


class TMainForm;

// One command of the main window: its name, its key (none when key.key is 0), its handler and,
// for the commands that have one, its enabling rule.
struct TCommand {
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
  ui::TNavBar fcBar{this, "fcBar"};
  ui::TPanel FlatPanel1{this, "FlatPanel1"};
  ui::TButton FlatSpeedButton10{&FlatPanel1, "FlatSpeedButton10"};  // "About..."
  ui::TImage Bullet1{&FlatPanel1, "Image1"};
  ui::TImage Bullet2{&FlatPanel1, "Image2"};
  ui::TLabel Label5{&FlatPanel1, "Label5"};
  ui::TLabel Label6{&FlatPanel1, "Label6"};

  // ---- repair page
  ui::TPanel GroupBoxNorvane{this, "GroupBoxNorvane"};
  ui::TLabel Label8{&GroupBoxNorvane, "Label8"};
  ui::TLabel Label7{&GroupBoxNorvane, "Label7"};
  ui::TBevel Bevel3{&GroupBoxNorvane, "Bevel3"};
  ui::TBevel Bevel2{&GroupBoxNorvane, "Bevel2"};
  ui::TListBox ListBox1{&GroupBoxNorvane, "ListBox1"};
  ui::TCheckBox chkDelAuto{&GroupBoxNorvane, "chkDelAuto"};
  ui::TButton FlatSpeedButton4{&GroupBoxNorvane, "FlatSpeedButton4"};  // "Repair IE"
  ui::TButton BtnHelp{&GroupBoxNorvane, "BtnHelp"};
  ui::TButton FlatSpeedButton11{&GroupBoxNorvane, "FlatSpeedButton11"};  // "Exit"

  // ---- entry list page
  ui::TPanel GroupBoxClean{this, "GroupBoxClean"};
  ui::TListBox Listbox{&GroupBoxClean, "Listbox"};
  ui::TBevel Bevel1{&GroupBoxClean, "Bevel1"};
  ui::TLabel Label1{&GroupBoxClean, "Label1"};
  ui::TLabel lblValue{&GroupBoxClean, "lblValue"};
  ui::TLabel Label2{&GroupBoxClean, "Label2"};
  ui::TLabel lblDate{&GroupBoxClean, "lblDate"};
  ui::TButton BtnCleanIEBar{&GroupBoxClean, "BtnCleanIEBar"};
  ui::TButton FlatSpeedButton2{&GroupBoxClean, "FlatSpeedButton2"};  // "Refresh"
  ui::TButton FlatSpeedButton1{&GroupBoxClean, "FlatSpeedButton1"};  // "Delete"

  // ---- trace cleaner page
  ui::TPanel GroupBoxHistory{this, "GroupBoxHistory"};
  ui::TMemo Memo2{&GroupBoxHistory, "Memo2"};
  ui::TButton FlatSpeedButton9{&GroupBoxHistory, "FlatSpeedButton9"};  // "Erase Tracks"

  // ---- cookie page
  ui::TPanel GroupBoxCookie{this, "GroupBoxCookie"};
  ui::TListView ListView{&GroupBoxCookie, "ListView"};
  ui::TPopupMenu CookiesPopup;
  ui::TButton FlatSpeedButton8{&GroupBoxCookie, "FlatSpeedButton8"};  // "Find Cookies"
  ui::TButton FlatSpeedButton7{&GroupBoxCookie, "FlatSpeedButton7"};  // "Refresh"
  ui::TButton FlatSpeedButton6{&GroupBoxCookie, "FlatSpeedButton6"};  // "Delete"

  // ---- toolbar wallpaper page
  ui::TPanel GroupBoxBackMap{this, "GroupBoxBackMap"};
  ui::TImage coolbarBMP{&GroupBoxBackMap, "coolbarBMP"};  // the preview band with Image7 over it
  ui::TLabel Label3{&GroupBoxBackMap, "Label3"};
  ui::TListBox ListBoxbmp{&GroupBoxBackMap, "ListBoxbmp"};
  ui::TButton FlatButton1{&GroupBoxBackMap, "FlatButton1"};        // "Apply"
  ui::TButton FlatSpeedButton5{&GroupBoxBackMap, "FlatSpeedButton5"};  // "Clear Wallpaper"

  // ---- the navigation bar's sections and the pages, by index
  enum Section : int { secNorvane = 0, secPrivacy = 1, secSetup = 2 };
  std::vector<ui::TPanel*> Pages() { return {&GroupBoxNorvane, &GroupBoxClean, &GroupBoxHistory, &GroupBoxCookie, &GroupBoxBackMap}; }

  // ---- the command table, and running a command or handler with the error report around it
  static const std::vector<TCommand>& Commands();
  static const TCommand* FindCommand(const std::string& name);
  // Runs a command by name (its enabling rule first, when it has one). False when it is disabled.
  bool Run(const std::string& command);
  // Runs `handler`; an exception that escapes it is shown by the error report.
  void Dispatch(const std::function<void()>& handler);
  // The error report's text for an error message.
  static std::string ErrorReportText(const std::string& message);

  // The two message boxes of the program (title "Norvane And Quillet", no icon).
  void Report(const std::string& text);
  bool Confirm(const std::string& text);

  bool KeyDown(int key, unsigned shift) override;
  void KeyUp(int key, unsigned shift) override;

  // ---- handlers that are not commands (application shell)
  void FormShow();
  void FormKeyUp(int key, unsigned shift);
  void BtnNorvaneClick();
  void BtnPrivacyClick();
  void btnSetupClick();
  void fcBarListItems0Click();
  void fcBarListItems1Click();
  void fcBarListItems2Click();
  void fcBarListItems3Click();
  void fcBarOutlookList1Items0Click();
  void fcBarOutlookList1Items1Click();
  void fcBarOutlookList1Items2Click();
  void fcBarList1Items0Click();
  void FlatSpeedButton10Click();  // About...
  void FlatSpeedButton11Click();  // Exit
  void Label5Click();
  void Label6Click();

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

  // ---- entry list page (entries/)
  void AutoRunActExecute();
  void AutoRunDateExecute();
  void AutoRunDeleteExecute();
  void GetUrlActExecute();
  void DelUrlActExecute();
  void CleanUrlActExecute();
  void GetMenuActExecute();
  void DelMenuExtActExecute();
  void GetExtensionsActExecute();
  void DeleteExtensionActExecute();
  void ListBoxIndexExecute();
  void IEDeleteExecute();
  void IERefreshExecute();
  void ListboxKeyUp(int key, unsigned shift);

  // ---- trace cleaner (privacy/)
  void FlatSpeedButton9Click();

  // ---- cookie manager (privacy/)
  void LoadCookiesExecute();
  void ListViewColumnClick(int column);
  int ListViewCompare(const ui::TListItem& item1, const ui::TListItem& item2) const;
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

  // Opens the About box; the application installs how (a real modal window, or a test's hook).
  static std::function<void(TMainForm&)> ShowAboutBox;

 private:
  void LayOut();
  void Wire();
};

}  // namespace nq
