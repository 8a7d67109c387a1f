#include "driver.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace gui {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[4096] = {};
  DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
  return std::wstring(buffer, length < 4096 ? length : 0);
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[2048] = {};
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutW(window, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                             &length))
    return L"<no answer>";
  return std::wstring(buffer, length);
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[256] = {};
  int length = ::GetClassNameW(window, buffer, 256);
  return std::wstring(buffer, static_cast<std::size_t>(length));
}

Program::Program(const std::wstring& folder)
    : Program(folder, Environment(L"QOR_EXE"), L"QOR Windows Version -- Spanish") {}

Program::Program(const std::wstring& folder, const std::wstring& exe, const std::wstring& caption,
                 const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info_))
    return;
  WaitUntil([&] {
    dialog_ = ::FindWindowW(L"#32770", caption.c_str());
    DWORD pid = 0;
    if (dialog_) ::GetWindowThreadProcessId(dialog_, &pid);
    if (pid != info_.dwProcessId) dialog_ = nullptr;
    return dialog_ != nullptr && ::IsWindowVisible(dialog_) && Focus() != nullptr;
  });
}

Program::~Program() {
  if (info_.hProcess) {
    if (Running()) {
      ::TerminateProcess(info_.hProcess, 99);
      ::WaitForSingleObject(info_.hProcess, 5000);
    }
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
}

HWND Program::FindBox(const std::wstring& caption) const {
  struct Search {
    const Program* self;
    const std::wstring* caption;
    HWND found;
  } search{this, &caption, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid != s.self->ProcessId() || window == s.self->dialog_ || !::IsWindowVisible(window) ||
            ClassName(window) != L"#32770")
          return TRUE;
        wchar_t text[512] = {};
        ::GetWindowTextW(window, text, 512);
        if (!s.caption->empty() && *s.caption != text) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Program::WaitForBox(const std::wstring& caption) const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindBox(caption)) != nullptr || !Running(); });
  return box;
}

bool Program::WaitClosed(HWND box) const {
  if (!WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box) || !Running(); })) return false;
  if (!Running()) return true;
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored) != 0;
}

HWND Program::Focus() const {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  if (!::GetGUIThreadInfo(info_.dwThreadId, &thread)) return nullptr;
  return thread.hwndFocus;
}

bool Program::WaitForExit(DWORD& status, std::chrono::milliseconds timeout) const {
  if (::WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return false;
  ::GetExitCodeProcess(info_.hProcess, &status);
  return true;
}

bool Program::Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

BoxContent ReadBox(HWND box) {
  BoxContent content;
  wchar_t caption[512] = {};
  ::GetWindowTextW(box, caption, 512);
  content.caption = caption;
  content.text = WindowText(::GetDlgItem(box, 0xFFFF));
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == L"Static" && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      DWORD_PTR icon = 0;
      ::SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
      content.hasIcon = content.hasIcon || icon != 0;
    }
  }
  return content;
}

void Press(HWND box, int id) {
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

void PostKey(HWND window, WPARAM key) {
  ::PostMessageW(window, WM_KEYDOWN, key, 1);
  ::PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void TypeText(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(edit, WM_CHAR, c, 1, SMTO_NORMAL, 5000, &ignored);
  }
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void ClickAndWait(HWND button) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

RECT DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
  RECT rect;
  rect.left = ::MulDiv(x, baseX, 4);
  rect.top = ::MulDiv(y, baseY, 8);
  rect.right = rect.left + ::MulDiv(cx, baseX, 4);
  rect.bottom = rect.top + ::MulDiv(cy, baseY, 8);
  return rect;
}

DialogUnits UnitsFor(const wchar_t* face, int points) {
  HDC dc = ::GetDC(nullptr);
  HFONT font = ::CreateFontW(-::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_DONTCARE, FALSE,
                             FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face);
  HGDIOBJ old = ::SelectObject(dc, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{};
  ::GetTextExtentPoint32W(dc, letters, 52, &size);
  ::SelectObject(dc, old);
  ::DeleteObject(font);
  ::ReleaseDC(nullptr, dc);
  return DialogUnits{(size.cx / 26 + 1) / 2, static_cast<int>(metrics.tmHeight)};
}

std::wstring Widen(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                     static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& path, std::size_t fields) {
  std::vector<std::vector<std::wstring>> rows;
  std::ifstream file(path.c_str());
  std::string line;
  while (std::getline(file, line)) {
    std::vector<std::wstring> row;
    std::istringstream words(line);
    std::string field;
    while (std::getline(words, field, '\t')) row.push_back(Widen(field));
    if (row.size() >= fields) rows.push_back(row);
  }
  return rows;
}

std::vector<unsigned char> ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace gui
