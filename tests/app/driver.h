// Drives the Windows program from another process under the same Wine: starts
// it, finds its windows and sends them what a user's clicks and keys would.
// Every wait is bounded.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace gui {

using namespace std::chrono_literals;
constexpr auto kWait = 15s;  // long enough for a cold Wine, short enough to fail

// Polls until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kWait);

std::wstring Environment(const wchar_t* name);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A running copy of the program, ended when this goes out of scope.
class Program {
 public:
  // Starts the program in `folder` and waits for its main dialog.
  explicit Program(const std::wstring& folder);
  // Another program, `exe` with `arguments`, whose main dialog is captioned `caption`.
  Program(const std::wstring& folder, const std::wstring& exe, const std::wstring& caption,
          const std::wstring& arguments = L"");
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  HWND Dialog() const { return dialog_; }
  HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
  DWORD ProcessId() const { return info_.dwProcessId; }

  // A visible top-level dialog window of this process other than the main
  // dialog whose caption is `caption` (any caption if empty), or null.
  HWND FindBox(const std::wstring& caption = L"") const;
  HWND WaitForBox(const std::wstring& caption = L"") const;
  // Waits until the box is gone and the dialog's thread is idle again.
  bool WaitClosed(HWND box) const;

  HWND Focus() const;
  // Waits for the process to end; false if it does not in time.
  bool WaitForExit(DWORD& status, std::chrono::milliseconds timeout = kWait) const;
  bool Running() const;

 private:
  PROCESS_INFORMATION info_{};
  HWND dialog_ = nullptr;
};

// What a user sees of a message box.
struct BoxContent {
  std::wstring caption;
  std::wstring text;
  bool hasIcon = false;
};
BoxContent ReadBox(HWND box);
// Presses a box's button (IDOK, IDCANCEL) without waiting for what follows.
void Press(HWND box, int id);

// Keys and clicks, posted as the input queue would deliver them.
void PostKey(HWND window, WPARAM key);
void TypeText(HWND edit, const std::wstring& text);
void Click(HWND button);         // posted: for buttons that open modal boxes
void ClickAndWait(HWND button);  // sent: returns when the handler has run

// The template's dialog units in pixels, worked out as the dialog manager
// does from the template font.
struct DialogUnits {
  int baseX = 0;
  int baseY = 0;
  RECT ToPixels(int x, int y, int cx, int cy) const;
};
DialogUnits UnitsFor(const wchar_t* face, int points);

std::wstring Widen(const std::string& utf8);
// A UTF-8 file of lines of tab-separated fields; lines with fewer than
// `fields` fields are left out.
std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& path, std::size_t fields);

std::vector<unsigned char> ReadFile(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool FileExists(const std::wstring& path);

}  // namespace gui
