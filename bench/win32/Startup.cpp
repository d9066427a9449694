// Start-up time of the program's main window against a bare Win32 window of the same size and title,
// started alternately in one session; prints the medians and their ratio. No Google Benchmark here: each
// sample is a whole process start, so the measurement is the process, not a loop in this one.
//   bench_startup <path to norvane.exe> [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct TFound {
  DWORD pid;
  HWND hwnd;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<TFound*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == found->pid && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
    found->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Starts commandLine, waits until its top-level window is shown, returns the milliseconds taken
// (negative when it never showed) and leaves the window in *shown for the caller to read and close.
double TimeToShown(std::string commandLine, HWND* shown, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  const auto start = std::chrono::steady_clock::now();
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi))
    return -1;
  TFound found{pi->dwProcessId, nullptr};
  while (found.hwnd == nullptr) {
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&found));
    if (found.hwnd != nullptr) break;
    if (WaitForSingleObject(pi->hProcess, 1) == WAIT_OBJECT_0) return -1;
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) return -1;
  }
  // Shown and painted: a window that answers a message has finished its first paint pass.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(found.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
  const auto end = std::chrono::steady_clock::now();
  *shown = found.hwnd;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

void Close(HWND hwnd, PROCESS_INFORMATION& pi) {
  if (hwnd != nullptr) PostMessageA(hwnd, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

LRESULT CALLBACK BareProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    FillRect(dc, &ps.rcPaint, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The baseline: a window of the given size and title and nothing else.
int RunBare(int width, int height, const char* title) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = BareProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  wc.lpszClassName = "BareStartup";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, wc.lpszClassName, title, WS_POPUP | WS_SYSMENU, 0, 0, width,
                              height, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--bare") return RunBare(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_startup <norvane.exe> [runs]\n");
    return 2;
  }
  const std::string program = std::string("\"") + argv[1] + "\"";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);

  std::vector<double> app, bare;
  for (int i = 0; i < runs; ++i) {
    HWND hwnd = nullptr;
    PROCESS_INFORMATION pi{};
    const double ms = TimeToShown(program, &hwnd, &pi);
    if (ms < 0) {
      std::fprintf(stderr, "the program's window did not show\n");
      if (pi.hProcess != nullptr) Close(hwnd, pi);
      return 1;
    }
    RECT r{};
    GetWindowRect(hwnd, &r);
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    Close(hwnd, pi);
    app.push_back(ms);

    const std::string bareLine = std::string("\"") + self + "\" --bare " + std::to_string(r.right - r.left) + " " +
                                 std::to_string(r.bottom - r.top) + " \"" + title + "\"";
    HWND bareHwnd = nullptr;
    PROCESS_INFORMATION barePi{};
    const double bareMs = TimeToShown(bareLine, &bareHwnd, &barePi);
    if (bareMs < 0) {
      std::fprintf(stderr, "the bare window did not show\n");
      if (barePi.hProcess != nullptr) Close(bareHwnd, barePi);
      return 1;
    }
    Close(bareHwnd, barePi);
    bare.push_back(bareMs);
  }
  const double a = Median(app), b = Median(bare);
  std::printf("runs %d, median to shown: program %.1f ms, bare window %.1f ms, ratio %.2f\n", runs, a, b, a / b);
  return 0;
}
