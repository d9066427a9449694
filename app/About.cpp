#include "app/About.h"

#include <exception>
#include <string>

#include "app/MainForm.h"
#include "app/Product.h"
#include "ui/Dialogs.h"

namespace nq {
namespace {

constexpr ui::TColor kClValue = ui::Rgb(99, 207, 49);
constexpr ui::TColor kClContact = ui::Rgb(62, 210, 118);

// The web site as people write it; a click opens the home page on it.
std::string SiteAddress() {
  std::string site = NQ_HOME_SITE;
  const std::size_t scheme = site.find("://");
  return scheme == std::string::npos ? site : site.substr(scheme + 3);
}

void Place(ui::TLabel& label, int left, int top, int width, const std::string& caption,
           ui::TColor color = ui::kClNone) {
  label.SetBounds(left, top, width, 17);
  label.SetCaption(caption);
  if (color != ui::kClNone) label.SetColor(color);
}

// An error escaping a click is reported as the main window reports its own.
std::function<void()> Reported(std::function<void()> handler) {
  return [handler = std::move(handler)] {
    try {
      handler();
    } catch (const std::exception& e) {
      ui::Dialogs().MessageBox(TMainForm::ErrorReportText(e.what()), kProductName, ui::kMbOk | ui::kMbIconError);
    }
  };
}

}  // namespace

TAboutForm::TAboutForm() : ui::TForm("AboutForm") {
  SetCaption(kProductName);
  SetBounds(0, 0, 308, 295);
  SetColor(ui::kClCream);
  SetFont(ui::TFont{"Verdana", 9, false, false, ui::kClBlack});
  MinimizeButton = false;

  GroupBox1.SetBounds(8, 32, 297, 209);
  GroupBox1.SetCaption("About...");
  GroupBox1.FrameColor = ui::kClBlue;

  Place(Label1, 25, 24, 60, "Product:");
  Place(Label2, 88, 24, 193, kProductName, kClValue);
  Place(Label3, 24, 48, 76, "Version:");
  Place(Label4, 104, 48, 177, kVersionText, kClValue);
  Place(Label5, 24, 72, 76, "Developer:");
  Place(Label6, 104, 72, 177, kMakerName, kClValue);
  Place(Label7, 24, 96, 76, "Programmer");
  Place(Label8, 104, 96, 177, kProgrammerName, kClValue);
  Place(Label9, 24, 120, 81, "Contacts us:", kClContact);
  Place(Label12, 24, 144, 76, "Tec Email :");
  Place(Label10, 104, 144, 185, kSupportEmail, kClContact);
  Place(Label13, 24, 176, 76, "Homepage:");
  Place(Label11, 104, 176, 185, SiteAddress(), kClContact);
  for (ui::TLabel* link : {&Label10, &Label11}) link->SetCursor(ui::TCursor::HandPoint);
  for (ui::TLabel* caption : {&Label1, &Label3, &Label5, &Label7, &Label12, &Label13}) caption->AutoSize = true;

  FlatButton1.SetBounds(224, 248, 65, 33);
  FlatButton1.SetCaption("OK");
  FlatButton1.SetFont(ui::TFont{"Verdana", 9, false, false, ui::kClBlack});

  FlatButton1.OnClick = Reported([this] { FlatButton1Click(); });
  Label10.OnClick = Reported([this] { Label10Click(); });
  Label11.OnClick = Reported([this] { Label11Click(); });
}

bool TAboutForm::KeyDown(int, unsigned) { return false; }

void TAboutForm::KeyUp(int key, unsigned shift) { Reported([=, this] { FormKeyUp(key, shift); })(); }

void TAboutForm::FlatButton1Click() { Close(); }

void TAboutForm::FormKeyUp(int key, unsigned) {
  if (key == ui::kVkF1) OpenHelp();
}

void TAboutForm::Label10Click() { OpenLink(kSupportMailLink); }

void TAboutForm::Label11Click() { OpenLink(kHomePage); }

void ShowAbout(ui::TForm& owner, const std::function<void(TAboutForm&)>& showModal) {
  TAboutForm about;
  // Centred over the owner wherever it has been moved.
  about.Left = owner.Left + (owner.Bounds().width - about.Bounds().width) / 2;
  about.Top = owner.Top + (owner.Bounds().height - about.Bounds().height) / 2;
  showModal(about);
}

}  // namespace nq
