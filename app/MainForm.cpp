#include "app/MainForm.h"

#include "app/Product.h"
#include "platform/shell.h"
#include "ui/Dialogs.h"

namespace nq {

std::function<void(TMainForm&)> TMainForm::ShowAboutBox;

TMainForm::TMainForm() : ui::TForm("MainForm") {
  SetCaption(kProductName);
  LayOut();
  Wire();
}

TMainForm::~TMainForm() = default;

// ---- the command table

const std::vector<TCommand>& TMainForm::Commands() {
  using M = TMainForm;
  static const std::vector<TCommand> commands = {
      // The first list.
      {"AutoRunAct", {}, &M::AutoRunActExecute},
      {"AutoRunDate", {}, &M::AutoRunDateExecute},
      {"AutoRunDelete", {}, &M::AutoRunDeleteExecute},
      {"GetUrlAct", {}, &M::GetUrlActExecute},
      {"DelUrlAct", {}, &M::DelUrlActExecute},
      {"CleanUrlAct", {}, &M::CleanUrlActExecute},
      {"GetMenuAct", {}, &M::GetMenuActExecute},
      {"DelMenuExtAct", {}, &M::DelMenuExtActExecute},
      {"CleanIE", {}, &M::CleanIEExecute},
      {"ProtectIE", {}, &M::ProtectIEExecute},
      {"BmpGetAct", {}, &M::BmpGetActExecute},
      {"BmpSetAct", {}, &M::BmpSetActExecute},
      {"BmpListboxLoad", {}, &M::BmpListboxLoadExecute},
      {"BmpListChange", {}, &M::BmpListChangeExecute},
      {"ListBoxIndex", {}, &M::ListBoxIndexExecute},
      {"bmpCleanAct", {}, &M::bmpCleanActExecute},
      {"IEDelete", {}, &M::IEDeleteExecute},
      {"GrpCleanAct", {}, &M::GrpCleanActExecute},
      {"GrpNorvaneAct", {}, &M::GrpNorvaneActExecute},
      {"GrpSetUpAct", {}, &M::GrpSetUpActExecute},
      {"GrpCookieAct", {}, &M::GrpCookieActExecute},
      {"GrpHistoryAct", {}, &M::GrpHistoryActExecute},
      {"IERefresh", {ui::kVkF5, ui::kShiftNone}, &M::IERefreshExecute},
      {"HelpAct", {}, &M::HelpActExecute},  // F1 comes through FormKeyUp, on release
      {"GetExtensionsAct", {}, &M::GetExtensionsActExecute},
      {"DeleteExtensionAct", {}, &M::DeleteExtensionActExecute},
      {"CleanIEDelAuto", {}, &M::CleanIEDelAutoExecute},
      // The second list: the cookie list's commands.
      {"DeleteCookie", {ui::kVkDelete, ui::kShiftNone}, &M::DeleteCookieExecute, &M::DeleteCookieUpdate},
      {"SearchCookie", {ui::kVkF3, ui::kShiftNone}, &M::SearchCookieExecute},
      {"LoadCookies", {ui::kVkF5, ui::kShiftNone}, &M::LoadCookiesExecute},
      {"SelectAllAct", {'A', ui::kCtrl}, &M::SelectAllActExecute},
      {"SelectNoneAct", {'Z', ui::kCtrl}, &M::SelectNoneActExecute},
      {"InvertSelectAct", {'I', ui::kCtrl}, &M::InvertSelectActExecute},
  };
  return commands;
}

const TCommand* TMainForm::FindCommand(const std::string& name) {
  for (const TCommand& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

bool TMainForm::Run(const std::string& name) {
  const TCommand* command = FindCommand(name);
  if (command == nullptr) return false;
  if (command->update != nullptr && !(this->*command->update)()) return false;
  (this->*command->execute)();
  return true;
}

std::string TMainForm::ErrorReportText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.')) {
    return message + ".";
  }
  return message;
}

void TMainForm::ShowErrorReport(const std::string& message) {
  ui::Dialogs().MessageBox(ErrorReportText(message), kProductName, ui::kMbOk | ui::kMbIconError);
}

void TMainForm::Dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    ShowErrorReport(e.what());
  }
}

void TMainForm::Report(const std::string& text) { ui::Dialogs().MessageBox(text, kProductName, ui::kMbOk); }

bool TMainForm::Confirm(const std::string& text) {
  return ui::Dialogs().MessageBox(text, kProductName, ui::kMbOkCancel) == ui::kIdOk;
}

// ---- keys

bool TMainForm::KeyDown(int key, unsigned shift) {
  const ui::TShortCut pressed{key, shift};
  // A focused control whose context menu claims the key takes it first: F5 in the cookie list.
  if (CookieListView.Focused() && CookieListView.PopupMenu != nullptr &&
      pressed == ui::TShortCut{ui::kVkF5, ui::kShiftNone}) {
    Dispatch([this] { Run("LoadCookies"); });
    return true;
  }
  for (const TCommand& command : Commands()) {
    if (command.key.key == 0 || !(command.key == pressed)) continue;
    if (command.update != nullptr && !(this->*command.update)()) continue;
    Dispatch([this, &command] { (this->*command.execute)(); });
    return true;
  }
  return false;
}

void TMainForm::KeyUp(int key, unsigned shift) {
  Dispatch([&] { FormKeyUp(key, shift); });
}

void TMainForm::FormKeyUp(int key, unsigned) {
  if (key == ui::kVkF1) Run("HelpAct");
}

void TMainForm::FormShow() {}

// ---- navigation

void TMainForm::NorvaneSectionClick() { NavBar.ClearSelection(secNorvane); }
void TMainForm::PrivacySectionClick() { NavBar.ClearSelection(secPrivacy); }
void TMainForm::SetupSectionClick() { NavBar.ClearSelection(secSetup); }

void TMainForm::IERepairItemClick() { Run("GrpNorvaneAct"); }

void TMainForm::StartUpItemClick() {
  NavBar.Select(secNorvane, 1);
  Run("GrpCleanAct");
  CleanTypedUrlsButton.Hide();
}

void TMainForm::ContextMenuItemClick() {
  NavBar.Select(secNorvane, 2);
  Run("GrpCleanAct");
  CleanTypedUrlsButton.Hide();
}

void TMainForm::ToolbarButtonItemClick() {
  NavBar.Select(secNorvane, 3);
  Run("GrpCleanAct");
  CleanTypedUrlsButton.Hide();
}

void TMainForm::ProtectPrivacyItemClick() { Run("GrpHistoryAct"); }

void TMainForm::ManageAddressItemClick() {
  NavBar.Select(secPrivacy, 1);
  Run("GrpCleanAct");
  CleanTypedUrlsButton.Show();
}

void TMainForm::ManageCookiesItemClick() {
  Run("GrpCookieAct");
  Run("LoadCookies");
}

void TMainForm::ToolbarWallpaperItemClick() {
  Run("GrpSetUpAct");
  Run("BmpListboxLoad");
  Run("BmpGetAct");
}

namespace {

void ShowOnly(TMainForm& form, ui::TPanel& page) {
  for (ui::TPanel* p : form.Pages()) {
    if (p != &page) p->Hide();
  }
  page.Show();
}

}  // namespace

void TMainForm::GrpNorvaneActExecute() { ShowOnly(*this, RepairPage); }
void TMainForm::GrpCleanActExecute() { ShowOnly(*this, EntryListPage); }
void TMainForm::GrpHistoryActExecute() { ShowOnly(*this, TraceCleanerPage); }
void TMainForm::GrpCookieActExecute() { ShowOnly(*this, CookiePage); }
void TMainForm::GrpSetUpActExecute() { ShowOnly(*this, WallpaperPage); }

// ---- bottom panel, help, links

void TMainForm::AboutButtonClick() {
  if (ShowAboutBox) ShowAboutBox(*this);
}

void TMainForm::ExitButtonClick() { Close(); }

void TMainForm::ProductLinkClick() { OpenLink(kHomePage); }

void TMainForm::NoticeLinkClick() { OpenLink(kSupportMailLink); }

void TMainForm::HelpActExecute() { OpenHelp(); }

void OpenLink(const std::string& address) {
  platform::Shell().ShellExecute(platform::OwnerWindow(), nullptr, address.c_str(), nullptr, nullptr,
                                 platform::kSwShowNormal);
}

void OpenHelp() {
  const std::string path = platform::Shell().ModuleFolder() + kHelpFile;
  platform::Shell().ShellExecute(platform::OwnerWindow(), nullptr, path.c_str(), nullptr, nullptr,
                                 platform::kSwShowMaximized);
}

}  // namespace nq
