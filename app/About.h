// TAboutForm: the About box. It names the product, its version and its makers, and opens the two
// links and the help file. A fresh box is made for every showing and released when it closes.
#pragma once

#include <functional>

#include "ui/Widgets.h"

namespace nq {

class TAboutForm : public ui::TForm {
 public:
  TAboutForm();

  ui::TPanel AboutGroupBox{this, "GroupBox1"};  // "About..."
  ui::TLabel ProductLabel{&AboutGroupBox, "Label1"};  // "Product:"
  ui::TLabel ProductValueLabel{&AboutGroupBox, "Label2"};  // the product
  ui::TLabel VersionLabel{&AboutGroupBox, "Label3"};  // "Version:"
  ui::TLabel VersionValueLabel{&AboutGroupBox, "Label4"};  // the version
  ui::TLabel DeveloperLabel{&AboutGroupBox, "Label5"};  // "Developer:"
  ui::TLabel DeveloperValueLabel{&AboutGroupBox, "Label6"};  // the maker
  ui::TLabel ProgrammerLabel{&AboutGroupBox, "Label7"};  // "Programmer"
  ui::TLabel ProgrammerValueLabel{&AboutGroupBox, "Label8"};  // the programmer
  ui::TLabel ContactsLabel{&AboutGroupBox, "Label9"};  // "Contacts us:"
  ui::TLabel EmailLabel{&AboutGroupBox, "Label12"};  // "Tec Email :"
  ui::TLabel EmailLink{&AboutGroupBox, "Label10"};  // the support address, a link
  ui::TLabel HomepageLabel{&AboutGroupBox, "Label13"};  // "Homepage:"
  ui::TLabel HomepageLink{&AboutGroupBox, "Label11"};  // the home page, a link
  ui::TButton OkButton{this, "FlatButton1"};  // "OK"

  // Enter and Esc do nothing here: only "OK" and the title bar's close button close the box.
  bool KeyDown(int key, unsigned shift) override;
  void KeyUp(int key, unsigned shift) override;

  void OkButtonClick();
  void FormKeyUp(int key, unsigned shift);
  void EmailLinkClick();
  void HomepageLinkClick();
};

// Makes a fresh About box centred over `owner`, hands it to `showModal` (which returns once the
// box has closed) and releases it.
void ShowAbout(ui::TForm& owner, const std::function<void(TAboutForm&)>& showModal);

}  // namespace nq
