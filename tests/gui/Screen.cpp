#include "tests/gui/Screen.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace nqgui {
namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  SendInput(1, &input, sizeof input);
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

void MoveTo(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
  Pause(60);
}

void Click(int x, int y, bool right) {
  MoveTo(x, y);
  SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  Pause(40);
  SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
  Pause(60);
}

void DoubleClick(int x, int y) {
  MoveTo(x, y);
  for (int i = 0; i < 2; ++i) {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
  }
  Pause(100);
}

void Drag(int fromX, int fromY, int toX, int toY) {
  MoveTo(fromX, fromY);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Pause(100);
  for (int step = 1; step <= 5; ++step) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, fromX + (toX - fromX) * step / 5,
              fromY + (toY - fromY) * step / 5);
    Pause(40);
  }
  SendMouse(MOUSEEVENTF_LEFTUP);
  Pause(150);
}

void PressKey(WORD key) {
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = key;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof inputs[0]);
  Pause(100);
}

void PressKeyWith(WORD modifier, WORD key) {
  INPUT inputs[4]{};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    if (i >= 2) inputs[i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(4, inputs, sizeof inputs[0]);
  Pause(100);
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    Pause(20);
  }
  return condition();
}

void Settle(int milliseconds) { Pause(milliseconds); }

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRect(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

std::string TextOf(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND FindOwned(HWND owner, const char* windowClass) {
  struct Search {
    HWND owner;
    const char* windowClass;
    HWND found;
  } search{owner, windowClass, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == s->owner && lstrcmpA(name, s->windowClass) == 0) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.caption = TextOf(box);
  char text[1024] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  view.text = text;
  auto shown = [&](int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
  };
  view.ok = shown(IDOK);
  view.cancel = shown(IDCANCEL);
  view.yes = shown(IDYES);
  view.no = shown(IDNO);
  EnumChildWindows(
      box,
      [](HWND child, LPARAM data) -> BOOL {
        char name[32] = "";
        GetClassNameA(child, name, sizeof name);
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child) &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0) {
          *reinterpret_cast<bool*>(data) = true;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&view.icon));
  return view;
}

std::string Screenshot(HWND window, const std::string& folder, const std::string& name) {
  const RECT rect = WindowRect(window);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return std::string();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as a BMP file keeps it
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name + ".bmp";
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out ? path : std::string();
}

}  // namespace nqgui
