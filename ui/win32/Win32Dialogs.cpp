// The real dialogs: message boxes, and the one-line input dialog built in memory (no resource),
// both owned by the program's main window.
#include <windows.h>
// The dialogs' own method is called MessageBox; the system's is called by its full name.
#undef MessageBox

#include <string>
#include <vector>

#include "platform/shell.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Win32Ui.h"

namespace ui::win32 {
namespace {

constexpr WORD kPromptId = 100;
constexpr WORD kEditId = 101;

// A dialog template in memory: the header, then items on DWORD boundaries.
class TTemplate {
 public:
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Word(WORD value) { data_.push_back(value); }
  void Text(const wchar_t* text) {
    for (; *text != L'\0'; ++text) Word(static_cast<WORD>(*text));
    Word(0);
  }
  void Align() {
    if (data_.size() % 2 != 0) Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* text) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }

 private:
  std::vector<WORD> data_;
};

struct TInputState {
  const std::string* caption;
  const std::string* prompt;
  std::string* value;
  int maxLength;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<TInputState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SetWindowTextA(dialog, state->caption->c_str());
      SetDlgItemTextA(dialog, kPromptId, state->prompt->c_str());
      SendDlgItemMessageA(dialog, kEditId, EM_LIMITTEXT, static_cast<WPARAM>(state->maxLength), 0);
      SetDlgItemTextA(dialog, kEditId, state->value->c_str());
      // Centred on the screen, whatever the owner's place.
      RECT box;
      GetWindowRect(dialog, &box);
      const int width = box.right - box.left;
      const int height = box.bottom - box.top;
      SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<TInputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, kEditId);
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
        const int length = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
        text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        *state->value = text;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

int TWin32Dialogs::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  const std::string& title = caption.empty() ? ApplicationTitle() : caption;
  return ::MessageBoxA(reinterpret_cast<HWND>(platform::OwnerWindow()), text.c_str(), title.c_str(), flags);
}

bool TWin32Dialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                               int maxLength) {
  TTemplate dialog;
  dialog.Dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  dialog.Dword(0);
  dialog.Word(4);  // items
  dialog.Word(0);
  dialog.Word(0);
  dialog.Word(186);
  dialog.Word(61);
  dialog.Word(0);  // no menu
  dialog.Word(0);  // the standard dialog class
  dialog.Text(L"");
  dialog.Word(8);
  dialog.Text(L"MS Shell Dlg");
  dialog.Item(SS_LEFT | SS_NOPREFIX, 7, 7, 172, 9, kPromptId, 0x0082, L"");
  dialog.Item(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 19, 172, 12, kEditId, 0x0081, L"");
  dialog.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 74, 40, 50, 14, IDOK, 0x0080, L"OK");
  dialog.Item(BS_PUSHBUTTON | WS_TABSTOP, 129, 40, 50, 14, IDCANCEL, 0x0080, L"Cancel");

  std::string entered = value;
  TInputState state{&caption, &prompt, &entered, maxLength};
  const INT_PTR answer = DialogBoxIndirectParamA(Instance(), dialog.Get(),
                                                 reinterpret_cast<HWND>(platform::OwnerWindow()), &InputProc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (answer != IDOK) return false;
  value = entered;
  return true;
}

}  // namespace ui::win32
