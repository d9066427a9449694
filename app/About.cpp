#include "app/About.h"

#include <exception>
#include <string>

#include "app/MainForm.h"
#include "app/Product.h"
#include "ui/Dialogs.h"
#include "ui/Scale.h"

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

  AboutGroupBox.SetBounds(8, 32, 297, 209);
  AboutGroupBox.SetCaption("About...");
  AboutGroupBox.FrameColor = ui::kClBlue;

  Place(ProductLabel, 25, 24, 60, "Product:");
  Place(ProductValueLabel, 88, 24, 193, kProductName, kClValue);
  Place(VersionLabel, 24, 48, 76, "Version:");
  Place(VersionValueLabel, 104, 48, 177, kVersionText, kClValue);
  Place(DeveloperLabel, 24, 72, 76, "Developer:");
  Place(DeveloperValueLabel, 104, 72, 177, kMakerName, kClValue);
  Place(ProgrammerLabel, 24, 96, 76, "Programmer");
  Place(ProgrammerValueLabel, 104, 96, 177, kProgrammerName, kClValue);
  Place(ContactsLabel, 24, 120, 81, "Contacts us:", kClContact);
  Place(EmailLabel, 24, 144, 76, "Tec Email :");
  Place(EmailLink, 104, 144, 185, kSupportEmail, kClContact);
  Place(HomepageLabel, 24, 176, 76, "Homepage:");
  Place(HomepageLink, 104, 176, 185, SiteAddress(), kClContact);
  for (ui::TLabel* link : {&EmailLink, &HomepageLink}) link->SetCursor(ui::TCursor::HandPoint);
  for (ui::TLabel* caption :
       {&ProductLabel, &VersionLabel, &DeveloperLabel, &ProgrammerLabel, &EmailLabel, &HomepageLabel}) {
    caption->AutoSize = true;
  }

  OkButton.SetBounds(224, 248, 65, 33);
  OkButton.SetCaption("OK");
  OkButton.SetFont(ui::TFont{"Verdana", 9, false, false, ui::kClBlack});

  OkButton.OnClick = Reported([this] { OkButtonClick(); });
  EmailLink.OnClick = Reported([this] { EmailLinkClick(); });
  HomepageLink.OnClick = Reported([this] { HomepageLinkClick(); });
}

bool TAboutForm::KeyDown(int, unsigned) { return false; }

void TAboutForm::KeyUp(int key, unsigned shift) { Reported([=, this] { FormKeyUp(key, shift); })(); }

void TAboutForm::OkButtonClick() { Close(); }

void TAboutForm::FormKeyUp(int key, unsigned) {
  if (key == ui::kVkF1) OpenHelp();
}

void TAboutForm::EmailLinkClick() { OpenLink(kSupportMailLink); }

void TAboutForm::HomepageLinkClick() { OpenLink(kHomePage); }

void ShowAbout(ui::TForm& owner, const std::function<void(TAboutForm&)>& showModal) {
  TAboutForm about;
  // Centred over the owner wherever it has been moved, at the owner's DPI.
  about.Left = owner.Left + (ui::Scaled(owner.Bounds().width, owner.Dpi) - ui::Scaled(about.Bounds().width, owner.Dpi)) / 2;
  about.Top = owner.Top + (ui::Scaled(owner.Bounds().height, owner.Dpi) - ui::Scaled(about.Bounds().height, owner.Dpi)) / 2;
  showModal(about);
}

}  // namespace nq
