// TAboutForm: the About box. It names the product, its version and its makers, and opens the two
// links and the help file. A fresh box is made for every showing and released when it closes.
#pragma once

#include <functional>

#include "ui/Widgets.h"

namespace nq {

class TAboutForm : public ui::TForm {
 public:
  TAboutForm();

  ui::TPanel GroupBox1{this, "GroupBox1"};  // "About..."
  ui::TLabel Label1{&GroupBox1, "Label1"};    // "Product:"
  ui::TLabel Label2{&GroupBox1, "Label2"};    // the product
  ui::TLabel Label3{&GroupBox1, "Label3"};    // "Version:"
  ui::TLabel Label4{&GroupBox1, "Label4"};    // the version
  ui::TLabel Label5{&GroupBox1, "Label5"};    // "Developer:"
  ui::TLabel Label6{&GroupBox1, "Label6"};    // the maker
  ui::TLabel Label7{&GroupBox1, "Label7"};    // "Programmer"
  ui::TLabel Label8{&GroupBox1, "Label8"};    // the programmer
  ui::TLabel Label9{&GroupBox1, "Label9"};    // "Contacts us:"
  ui::TLabel Label12{&GroupBox1, "Label12"};  // "Tec Email :"
  ui::TLabel Label10{&GroupBox1, "Label10"};  // the support address, a link
  ui::TLabel Label13{&GroupBox1, "Label13"};  // "Homepage:"
  ui::TLabel Label11{&GroupBox1, "Label11"};  // the home page, a link
  ui::TButton FlatButton1{this, "FlatButton1"};  // "OK"

  // Enter and Esc do nothing here: only "OK" and the title bar's close button close the box.
  bool KeyDown(int key, unsigned shift) override;
  void KeyUp(int key, unsigned shift) override;

  void FlatButton1Click();
  void FormKeyUp(int key, unsigned shift);
  void Label10Click();
  void Label11Click();
};

// Makes a fresh About box centred over `owner`, hands it to `showModal` (which returns once the
// box has closed) and releases it.
void ShowAbout(ui::TForm& owner, const std::function<void(TAboutForm&)>& showModal);

}  // namespace nq
