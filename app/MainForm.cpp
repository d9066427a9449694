#include "app/MainForm.h"

#include <stdexcept>

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
      {TCommandId::AutoRunAct, "AutoRunAct", {}, &M::LoadEntriesExecute},
      {TCommandId::AutoRunDate, "AutoRunDate", {}, &M::AutoRunDateExecute},
      {TCommandId::AutoRunDelete, "AutoRunDelete", {}, &M::DeleteEntryExecute},
      {TCommandId::GetUrlAct, "GetUrlAct", {}, &M::LoadEntriesExecute},
      {TCommandId::DelUrlAct, "DelUrlAct", {}, &M::DeleteEntryExecute},
      {TCommandId::CleanUrlAct, "CleanUrlAct", {}, &M::CleanUrlActExecute},
      {TCommandId::GetMenuAct, "GetMenuAct", {}, &M::LoadEntriesExecute},
      {TCommandId::DelMenuExtAct, "DelMenuExtAct", {}, &M::DeleteEntryExecute},
      {TCommandId::CleanIE, "CleanIE", {}, &M::CleanIEExecute},
      {TCommandId::ProtectIE, "ProtectIE", {}, &M::ProtectIEExecute},
      {TCommandId::BmpGetAct, "BmpGetAct", {}, &M::BmpGetActExecute},
      {TCommandId::BmpSetAct, "BmpSetAct", {}, &M::BmpSetActExecute},
      {TCommandId::BmpListboxLoad, "BmpListboxLoad", {}, &M::BmpListboxLoadExecute},
      {TCommandId::BmpListChange, "BmpListChange", {}, &M::BmpListChangeExecute},
      {TCommandId::ListBoxIndex, "ListBoxIndex", {}, &M::ListBoxIndexExecute},
      {TCommandId::bmpCleanAct, "bmpCleanAct", {}, &M::bmpCleanActExecute},
      {TCommandId::IEDelete, "IEDelete", {}, &M::IEDeleteExecute},
      {TCommandId::GrpCleanAct, "GrpCleanAct", {}, &M::GrpCleanActExecute},
      {TCommandId::GrpNorvaneAct, "GrpNorvaneAct", {}, &M::GrpNorvaneActExecute},
      {TCommandId::GrpSetUpAct, "GrpSetUpAct", {}, &M::GrpSetUpActExecute},
      {TCommandId::GrpCookieAct, "GrpCookieAct", {}, &M::GrpCookieActExecute},
      {TCommandId::GrpHistoryAct, "GrpHistoryAct", {}, &M::GrpHistoryActExecute},
      {TCommandId::IERefresh, "IERefresh", {ui::kVkF5, ui::kShiftNone}, &M::IERefreshExecute},
      {TCommandId::HelpAct, "HelpAct", {}, &M::HelpActExecute},  // F1 comes through FormKeyUp, on release
      {TCommandId::GetExtensionsAct, "GetExtensionsAct", {}, &M::LoadEntriesExecute},
      {TCommandId::DeleteExtensionAct, "DeleteExtensionAct", {}, &M::DeleteEntryExecute},
      {TCommandId::CleanIEDelAuto, "CleanIEDelAuto", {}, &M::CleanIEDelAutoExecute},
      // The second list: the cookie list's commands.
      {TCommandId::DeleteCookie, "DeleteCookie", {ui::kVkDelete, ui::kShiftNone}, &M::DeleteCookieExecute, &M::DeleteCookieUpdate},
      {TCommandId::SearchCookie, "SearchCookie", {ui::kVkF3, ui::kShiftNone}, &M::SearchCookieExecute},
      {TCommandId::LoadCookies, "LoadCookies", {ui::kVkF5, ui::kShiftNone}, &M::LoadCookiesExecute},
      {TCommandId::SelectAllAct, "SelectAllAct", {'A', ui::kCtrl}, &M::SelectAllActExecute},
      {TCommandId::SelectNoneAct, "SelectNoneAct", {'Z', ui::kCtrl}, &M::SelectNoneActExecute},
      {TCommandId::InvertSelectAct, "InvertSelectAct", {'I', ui::kCtrl}, &M::InvertSelectActExecute},
      // The browsers page's commands.
      {TCommandId::GrpBrowserAct, "GrpBrowserAct", {}, &M::GrpBrowserActExecute},
      {TCommandId::GetBrowsersAct, "GetBrowsersAct", {}, &M::GetBrowsersActExecute},
      {TCommandId::BrowserListChange, "BrowserListChange", {}, &M::BrowserListChangeExecute},
      {TCommandId::RepairBrowsersAct, "RepairBrowsersAct", {}, &M::RepairBrowsersActExecute},
      {TCommandId::UndoBrowsersAct, "UndoBrowsersAct", {}, &M::UndoBrowsersActExecute},
  };
  return commands;
}

const TCommand* TMainForm::FindCommand(const std::string& name) {
  for (const TCommand& command : Commands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

const TCommand& TMainForm::FindCommand(TCommandId id) {
  for (const TCommand& command : Commands()) {
    if (command.id == id) return command;
  }
  throw std::logic_error(std::string("command ") + std::to_string(static_cast<int>(id)) + " has no row");
}

bool TMainForm::Run(TCommandId id) {
  const TCommand& command = FindCommand(id);
  if (command.update != nullptr && !(this->*command.update)()) return false;
  Execute(command);
  return true;
}

void TMainForm::Execute(const TCommand& command) {
  // Restored however the handler ends: a command that runs another gets its own id back.
  struct TRunning {
    std::optional<TCommandId>& slot;
    std::optional<TCommandId> outer;
    ~TRunning() { slot = outer; }
  } running{running_, running_};
  running_ = command.id;
  if (OnCommand) OnCommand(command.id);
  (this->*command.execute)();
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

bool TMainForm::Ask(const std::string& text) {
  return ui::Dialogs().MessageBox(text, kProductName, ui::kMbYesNo) == ui::kIdYes;
}

// ---- keys

bool TMainForm::KeyDown(int key, unsigned shift) {
  const ui::TShortCut pressed{key, shift};
  // A focused control whose context menu claims the key takes it first: F5 in the cookie list
  // refreshes the cookies, not the entry list.
  if (CookieListView.Focused() && CookieListView.PopupMenu != nullptr) {
    for (const ui::TMenuItem& item : CookieListView.PopupMenu->Items) {
      if (item.shortCut.key == 0 || !(item.shortCut == pressed) || !item.onClick) continue;
      if (item.enabled && !item.enabled()) continue;
      item.onClick();
      return true;
    }
  }
  for (const TCommand& command : Commands()) {
    if (command.key.key == 0 || !(command.key == pressed)) continue;
    if (command.update != nullptr && !(this->*command.update)()) continue;
    Dispatch([this, &command] { Execute(command); });
    return true;
  }
  return false;
}

void TMainForm::KeyUp(int key, unsigned shift) {
  Dispatch([&] { FormKeyUp(key, shift); });
}

void TMainForm::FormKeyUp(int key, unsigned) {
  if (key == ui::kVkF1) Run(TCommandId::HelpAct);
}

void TMainForm::FormShow() {}

// ---- pages

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
void TMainForm::GrpBrowserActExecute() { ShowOnly(*this, BrowsersPage); }

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
