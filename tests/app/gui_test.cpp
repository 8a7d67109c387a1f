// The Windows program as a user meets it, driven from outside under Wine.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/dialog_texts.h"
#include "driver.h"
#include "res/resource.h"

namespace {

using gui::Program;

const std::wstring kErrorCaption = L"Error Message";

std::wstring Widen(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                     static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

// A folder of its own for each test, under the run's scratch folder.
std::wstring FreshFolder() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring folder = gui::Environment(L"QOR_WORK") + L"\\" + Widen(test->name());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::wstring CopyFixture(const std::wstring& name, const std::wstring& folder) {
  std::wstring target = folder + L"\\" + name;
  ::CopyFileW((gui::Environment(L"QOR_FIXTURES") + L"\\" + name).c_str(), target.c_str(), FALSE);
  return target;
}

// Fills Wine's Open dialog with the name and presses Open.
void ChooseFile(const Program& program, const std::wstring& path) {
  gui::Click(program.Item(IDC_SELECT_FILE));
  HWND chooser = nullptr;
  ASSERT_TRUE(gui::WaitUntil([&] {
    chooser = program.FindBox();
    return chooser && ::GetDlgItem(chooser, 0x047C);
  }));
  ::SendMessageW(::GetDlgItem(chooser, 0x047C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  gui::Press(chooser, IDOK);
  ASSERT_TRUE(program.WaitClosed(chooser));
}

void CancelChooser(const Program& program) {
  gui::Click(program.Item(IDC_SELECT_FILE));
  HWND chooser = nullptr;
  ASSERT_TRUE(gui::WaitUntil([&] {
    chooser = program.FindBox();
    return chooser && ::GetDlgItem(chooser, 0x047C);
  }));
  EXPECT_EQ(gui::WindowText(::GetDlgItem(chooser, 0x047C)), L"") << "the chooser offers no name";
  // It has no owner, so the dialog stays usable while it is open.
  EXPECT_EQ(::GetWindow(chooser, GW_OWNER), nullptr);
  EXPECT_TRUE(::IsWindowEnabled(program.Dialog()));
  gui::Press(chooser, IDCANCEL);
  ASSERT_TRUE(program.WaitClosed(chooser));
}

// Presses "&Cifrar" and expects the box; presses its OK.
void ExpectBox(const Program& program, const std::wstring& caption, const std::wstring& text) {
  gui::Click(program.Item(IDC_ENCRYPT));
  HWND box = program.WaitForBox();
  ASSERT_NE(box, nullptr) << "no box for " << testing::PrintToString(text);
  gui::BoxContent content = gui::ReadBox(box);
  EXPECT_EQ(content.caption, caption);
  EXPECT_EQ(content.text, text);
  EXPECT_TRUE(content.hasIcon) << "the job's boxes carry the exclamation icon";
  gui::Press(box, IDOK);
  ASSERT_TRUE(program.WaitClosed(box));
}

void SetText(HWND window, const std::wstring& text) {
  ::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ExpectExit(const Program& program, DWORD expected) {
  DWORD status = 0;
  ASSERT_TRUE(program.WaitForExit(status)) << "the program did not end";
  EXPECT_EQ(status, expected);
}

struct Control {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  int x, y, cx, cy;
};

// The dialog's size and its controls, in template order, against the
// template's dialog units in the 8-point "MS Sans Serif" font.
void ExpectTemplate(HWND dialog, int cx, int cy, const std::vector<Control>& controls) {
  const gui::DialogUnits units = gui::UnitsFor(L"MS Sans Serif", 8);
  RECT client{};
  ::GetClientRect(dialog, &client);
  RECT size = units.ToPixels(0, 0, cx, cy);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  HWND child = ::GetWindow(dialog, GW_CHILD);
  for (const Control& c : controls) {
    ASSERT_NE(child, nullptr) << "missing control " << c.id;
    SCOPED_TRACE(testing::Message() << "control " << c.id << " " << testing::PrintToString(std::wstring(c.className))
                                    << " at " << c.x << ", " << c.y);
    EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(child))), c.id);
    EXPECT_EQ(gui::ClassName(child), c.className);
    if (c.text) {
      EXPECT_EQ(gui::WindowText(child), c.text);
    }
    const DWORD childStyle = static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE));
    const DWORD checked = WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | WS_GROUP;
    EXPECT_EQ(childStyle & checked, (c.style | WS_CHILD | WS_VISIBLE) & checked);
    bool iconSized = false;
    if (c.className == std::wstring(L"Edit")) {
      EXPECT_EQ(childStyle & (ES_PASSWORD | ES_AUTOHSCROLL), c.style & (ES_PASSWORD | ES_AUTOHSCROLL));
      // The dialog manager turns WS_BORDER into a client edge.
      EXPECT_TRUE((childStyle & WS_BORDER) || (::GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    } else if (c.className == std::wstring(L"Button")) {
      EXPECT_EQ(childStyle & BS_TYPEMASK, c.style & BS_TYPEMASK);
    } else {
      EXPECT_EQ(childStyle & (SS_TYPEMASK | SS_NOPREFIX), c.style & (SS_TYPEMASK | SS_NOPREFIX));
      if ((c.style & SS_TYPEMASK) == SS_ICON) {
        EXPECT_NE(::SendMessageW(child, STM_GETICON, 0, 0), 0) << "an icon static with no icon";
        iconSized = true;  // the static takes its icon's size
      }
    }
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    RECT expected = units.ToPixels(c.x, c.y, c.cx, c.cy);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    if (!iconSized) {
      EXPECT_EQ(rect.right, expected.right);
      EXPECT_EQ(rect.bottom, expected.bottom);
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the template's";
}

TEST(MainDialog, ShowsTheTemplate) {
  Program program(FreshFolder());
  HWND dialog = program.Dialog();
  ASSERT_NE(dialog, nullptr);

  EXPECT_EQ(gui::WindowText(dialog), L"QOR Windows Version -- Spanish");
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
  const DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
  EXPECT_TRUE(::GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  ExpectTemplate(dialog, 320, 200, {
      {IDOK, L"Button", L"Aca&bado", BS_DEFPUSHBUTTON | WS_TABSTOP, 136, 140, 50, 14},
      {IDC_SELECT_FILE, L"Button", L"S&eleccione Archivo", BS_PUSHBUTTON | WS_TABSTOP, 46, 31, 69, 14},
      {IDC_FILE_NAME, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, 122, 33, 183, 12},
      {IDC_STATIC, L"Static", L"Entrar Clave", SS_LEFT | WS_GROUP, 47, 57, 48, 8},
      {IDC_STATIC, L"Static", L"(Maximo de 7 caracteres)", SS_LEFT | WS_GROUP, 48, 71, 85, 11},
      {IDC_KEY, L"Edit", nullptr, ES_PASSWORD | ES_AUTOHSCROLL | WS_TABSTOP, 144, 60, 41, 12},
      {IDC_FIBONACCI, L"Button", L"Cifrado de Fibonacci", BS_AUTORADIOBUTTON, 48, 95, 81, 10},
      {IDC_FREQUENCY, L"Button", L"Frecuencia de cfrado Normalizacion", BS_AUTORADIOBUTTON, 159, 95, 129, 10},
      {IDC_ENCRYPT, L"Button", L"&Cifrar", BS_PUSHBUTTON | WS_TABSTOP, 48, 119, 50, 14},
      {IDC_HELP_BUTTON, L"Button", L"&Ayudar", BS_PUSHBUTTON | WS_TABSTOP, 263, 7, 50, 14},
      {IDC_ABOUT_BUTTON, L"Button", L"&Sobre", BS_PUSHBUTTON | WS_TABSTOP, 203, 7, 50, 14},
  });

  // Tab order is template order, over the tab stops only.
  const int tabOrder[] = {IDC_SELECT_FILE, IDC_FILE_NAME, IDC_KEY, IDC_ENCRYPT, IDC_HELP_BUTTON, IDC_ABOUT_BUTTON,
                          IDOK};
  HWND at = program.Item(IDOK);
  for (int id : tabOrder) {
    at = ::GetNextDlgTabItem(dialog, at, FALSE);
    EXPECT_EQ(::GetDlgCtrlID(at), id);
  }

  EXPECT_EQ(program.Focus(), program.Item(IDOK)) << "the focus starts on Aca&bado";
  EXPECT_EQ(::SendMessageW(program.Item(IDC_FIBONACCI), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(::SendMessageW(program.Item(IDC_FREQUENCY), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(MainDialog, EnterAtStartEndsTheProgram) {
  Program program(FreshFolder());
  ASSERT_NE(program.Dialog(), nullptr);
  gui::PostKey(program.Focus(), VK_RETURN);
  ExpectExit(program, 0);
}

TEST(MainDialog, EscapeAndTheCloseBoxEndWithoutReadingTheEdits) {
  // An eight-character key would be refused by a closing data exchange.
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox ? "close box" : "Escape");
    Program program(FreshFolder());
    ASSERT_NE(program.Dialog(), nullptr);
    SetText(program.Item(IDC_KEY), L"12345678");
    if (closeBox) {
      ::PostMessageW(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else {
      gui::PostKey(program.Focus(), VK_ESCAPE);
    }
    ExpectExit(program, 0);
  }
}

TEST(MainDialog, KeyEditTakesAtMostSevenCharacters) {
  Program program(FreshFolder());
  HWND key = program.Item(IDC_KEY);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(::SendMessageW(key, EM_GETLIMITTEXT, 0, 0), 7);
  gui::TypeText(key, L"abcdefgh");
  EXPECT_EQ(::SendMessageW(key, WM_GETTEXTLENGTH, 0, 0), 7);
}

TEST(MainDialog, TooLongKeyKeepsTheDialogOpenAtAcabado) {
  Program program(FreshFolder());
  HWND key = program.Item(IDC_KEY);
  ASSERT_NE(key, nullptr);
  SetText(key, L"12345678");  // past the limit, as typing cannot
  gui::Click(program.Item(IDOK));
  HWND box = program.WaitForBox();
  ASSERT_NE(box, nullptr);
  gui::BoxContent content = gui::ReadBox(box);
  EXPECT_EQ(content.text, L"Please enter no more than 7 characters.");
  EXPECT_EQ(content.caption, L"QOR Peldar Windows Version");
  EXPECT_TRUE(content.hasIcon);
  gui::Press(box, IDOK);
  ASSERT_TRUE(program.WaitClosed(box));

  EXPECT_TRUE(program.Running());
  EXPECT_EQ(program.Focus(), key);
  DWORD start = 0, end = 0;
  ::SendMessageW(key, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 8u) << "all the key's text selected";

  SetText(key, L"1234567");
  gui::Click(program.Item(IDOK));
  ExpectExit(program, 0);
}

TEST(MainDialog, RadioButtonsExcludeEachOther) {
  Program program(FreshFolder());
  HWND fibonacci = program.Item(IDC_FIBONACCI);
  HWND frequency = program.Item(IDC_FREQUENCY);
  ASSERT_NE(fibonacci, nullptr);
  gui::ClickAndWait(fibonacci);
  EXPECT_EQ(::SendMessageW(fibonacci, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(::SendMessageW(frequency, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  gui::ClickAndWait(frequency);
  EXPECT_EQ(::SendMessageW(fibonacci, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(::SendMessageW(frequency, BM_GETCHECK, 0, 0), BST_CHECKED);
}

const std::wstring kAboutBoxCaption = L"About QOR Peldar Windows Version";

// The entries as another process can read them (a password edit gives
// only its length).
struct Entries {
  std::wstring fileName;
  LRESULT keyLength = 0;
  LRESULT fibonacci = 0;
  LRESULT frequency = 0;
};

Entries ReadEntries(const Program& program) {
  return {gui::WindowText(program.Item(IDC_FILE_NAME)), ::SendMessageW(program.Item(IDC_KEY), WM_GETTEXTLENGTH, 0, 0),
          ::SendMessageW(program.Item(IDC_FIBONACCI), BM_GETCHECK, 0, 0),
          ::SendMessageW(program.Item(IDC_FREQUENCY), BM_GETCHECK, 0, 0)};
}

void ExpectSameEntries(const Entries& actual, const Entries& expected) {
  EXPECT_EQ(actual.fileName, expected.fileName);
  EXPECT_EQ(actual.keyLength, expected.keyLength);
  EXPECT_EQ(actual.fibonacci, expected.fibonacci);
  EXPECT_EQ(actual.frequency, expected.frequency);
}

HWND OpenAboutBox(const Program& program, UINT command) {
  ::PostMessageW(program.Dialog(), WM_SYSCOMMAND, command, 0);
  return program.WaitForBox(kAboutBoxCaption);
}

TEST(AboutBox, ShowsItsTemplateModalToTheDialog) {
  Program program(FreshFolder());
  ASSERT_NE(program.Dialog(), nullptr);
  HWND box = OpenAboutBox(program, IDM_ABOUTBOX);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(::GetWindow(box, GW_OWNER), program.Dialog());
  EXPECT_FALSE(::IsWindowEnabled(program.Dialog()));

  const DWORD style = static_cast<DWORD>(::GetWindowLongW(box, GWL_STYLE));
  const DWORD wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  EXPECT_EQ(style & wanted, wanted);
  ExpectTemplate(box, 235, 55,
                 {
                     {IDC_STATIC, L"Static", nullptr, SS_ICON, 11, 17, 20, 20},
                     {IDC_STATIC, L"Static", L"QOR Peldar Windows Version Version 1.0", SS_LEFT | SS_NOPREFIX | WS_GROUP,
                      40, 10, 119, 8},
                     {IDC_STATIC, L"Static", nullptr, SS_LEFT | WS_GROUP, 40, 25, 119, 8},
                     {IDOK, L"Button", L"OK", BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 178, 7, 50, 14},
                 });

  gui::Press(box, IDOK);
  ASSERT_TRUE(program.WaitClosed(box));
  EXPECT_TRUE(::IsWindowEnabled(program.Dialog()));
}

TEST(AboutBox, OpensForItsIdWhateverTheLowFourBitsAndLeavesTheEntries) {
  Program program(FreshFolder());
  ASSERT_NE(program.Dialog(), nullptr);
  SetText(program.Item(IDC_FILE_NAME), L"C:\\datos\\carta.txt");
  gui::TypeText(program.Item(IDC_KEY), L"clave");
  gui::ClickAndWait(program.Item(IDC_FREQUENCY));
  const Entries before = ReadEntries(program);
  ASSERT_EQ(before.keyLength, 5);

  // Closed by OK, by Escape and by its close box.
  const UINT commands[] = {IDM_ABOUTBOX, IDM_ABOUTBOX | 0x7, IDM_ABOUTBOX | 0xF};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(testing::Message() << "system command " << commands[i]);
    HWND box = OpenAboutBox(program, commands[i]);
    ASSERT_NE(box, nullptr);
    if (i == 0) {
      gui::Press(box, IDOK);
    } else if (i == 1) {
      ASSERT_TRUE(gui::WaitUntil([&] { return ::IsChild(box, program.Focus()); }));
      gui::PostKey(program.Focus(), VK_ESCAPE);
    } else {
      ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_TRUE(program.WaitClosed(box));
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(::IsWindowEnabled(program.Dialog()));
    ExpectSameEntries(ReadEntries(program), before);
  }
  // The next id up is not the item's: sent, it returns without a box.
  DWORD_PTR ignored = 0;
  EXPECT_NE(::SendMessageTimeoutW(program.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX + 0x10, 0, SMTO_NORMAL, 3000, &ignored),
            0);
  EXPECT_EQ(program.FindBox(), nullptr);
}

// A message box with one OK button and no icon, owned by the dialog,
// showing the text exactly.
void ExpectPlainBox(const Program& program, HWND box, const std::wstring& caption, const char* utf8Text) {
  ASSERT_NE(box, nullptr) << "no box captioned " << testing::PrintToString(caption);
  gui::BoxContent content = gui::ReadBox(box);
  EXPECT_EQ(content.caption, caption);
  EXPECT_EQ(content.text, Widen(utf8Text));
  EXPECT_FALSE(content.hasIcon);
  int buttons = 0;
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (gui::ClassName(child) == L"Button" && ::IsWindowVisible(child)) ++buttons;
  }
  EXPECT_EQ(buttons, 1);
  EXPECT_EQ(gui::WindowText(::GetDlgItem(box, IDOK)), L"OK");
  EXPECT_EQ(::GetWindow(box, GW_OWNER), program.Dialog());
  gui::Press(box, IDOK);
  ASSERT_TRUE(program.WaitClosed(box));
}

TEST(Messages, SobreShowsTheAboutMessageNotTheAboutBox) {
  Program program(FreshFolder());
  ASSERT_NE(program.Dialog(), nullptr);
  gui::Click(program.Item(IDC_ABOUT_BUTTON));
  HWND box = program.WaitForBox();
  ASSERT_NE(box, nullptr);
  EXPECT_NE(gui::WindowText(box), kAboutBoxCaption);
  ExpectPlainBox(program, box, L"Sobre", qor::kAboutMessage);
  EXPECT_TRUE(program.Running());
}

TEST(Messages, AyudarAndF1ShowTheHelpMessage) {
  Program program(FreshFolder());
  ASSERT_NE(program.Dialog(), nullptr);
  gui::Click(program.Item(IDC_HELP_BUTTON));
  ExpectPlainBox(program, program.WaitForBox(), L"Ayudar", qor::kHelpMessage);

  // F1 wherever the focus is in the dialog, here on the key edit.
  HWND key = program.Item(IDC_KEY);
  ::PostMessageW(program.Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(key), TRUE);
  ASSERT_TRUE(gui::WaitUntil([&] { return program.Focus() == key; }));
  gui::PostKey(key, VK_F1);
  ExpectPlainBox(program, program.WaitForBox(), L"Ayudar", qor::kHelpMessage);
  EXPECT_TRUE(program.Running());
}

TEST(Encryption, RefusesMissingEntriesInOrder) {
  std::wstring folder = FreshFolder();
  std::wstring input = CopyFixture(L"text.txt", folder);
  Program program(folder);
  ASSERT_NE(program.Dialog(), nullptr);

  ExpectBox(program, kErrorCaption, L"You must enter a file to encrypt.");
  // A typed name does not count as a chosen file, nor does a cancelled chooser.
  SetText(program.Item(IDC_FILE_NAME), input);
  ExpectBox(program, kErrorCaption, L"You must enter a file to encrypt.");
  CancelChooser(program);
  EXPECT_EQ(gui::WindowText(program.Item(IDC_FILE_NAME)), input);
  ExpectBox(program, kErrorCaption, L"You must enter a file to encrypt.");

  ChooseFile(program, input);
  ExpectBox(program, kErrorCaption, L"You must enter a key.\n\n Minimum 1 character. \n\n Maximum 7 characters.");
  gui::TypeText(program.Item(IDC_KEY), L"k");
  ExpectBox(program, kErrorCaption, L"You must choose an encryption type.");

  EXPECT_TRUE(program.Running());
  EXPECT_FALSE(gui::FileExists(input + L".qor"));
}

// One line of the fixtures' cases file: method, key as typed, input, and the
// output the command-line tool gave for them.
struct EncryptionCase {
  std::string method;
  std::wstring key;
  std::wstring input;
  std::wstring expected;
};

std::vector<EncryptionCase> ReadCases() {
  std::vector<EncryptionCase> cases;
  std::ifstream file((gui::Environment(L"QOR_FIXTURES") + L"\\cases.txt").c_str());
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string method, key, input, expected;
    if (std::getline(fields, method, '\t') && std::getline(fields, key, '\t') &&
        std::getline(fields, input, '\t') && std::getline(fields, expected, '\t'))
      cases.push_back({method, Widen(key), Widen(input), Widen(expected)});
  }
  return cases;
}

TEST(Encryption, WritesWhatTheCommandLineToolWritesTwiceInARow) {
  const std::vector<EncryptionCase> cases = ReadCases();
  ASSERT_FALSE(cases.empty()) << "no cases in QOR_FIXTURES";
  for (const EncryptionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.method << " " << testing::PrintToString(c.input));
    std::wstring folder = FreshFolder();
    std::wstring input = CopyFixture(c.input, folder);
    std::wstring output = input + L".qor";
    const std::vector<unsigned char> expected =
        gui::ReadFile(gui::Environment(L"QOR_FIXTURES") + L"\\" + c.expected);

    Program program(folder);
    ASSERT_NE(program.Dialog(), nullptr);
    ChooseFile(program, input);
    EXPECT_EQ(gui::WindowText(program.Item(IDC_FILE_NAME)), input) << "the edit shows the full path";
    gui::TypeText(program.Item(IDC_KEY), c.key);
    // The last radio clicked decides.
    const bool fibonacci = c.method == "fibonacci";
    gui::ClickAndWait(program.Item(fibonacci ? IDC_FREQUENCY : IDC_FIBONACCI));
    gui::ClickAndWait(program.Item(fibonacci ? IDC_FIBONACCI : IDC_FREQUENCY));

    for (int job = 1; job <= 2; ++job) {
      SCOPED_TRACE(testing::Message() << "job " << job);
      ExpectBox(program, L"Output Filename", output);
      EXPECT_EQ(gui::ReadFile(output), expected);
      // The second job must replace this.
      gui::WriteFile(output, {'o', 'l', 'd', ' ', 'o', 'u', 't', 'p', 'u', 't', ' ', 'l', 'o', 'n', 'g', 'e', 'r'});
    }
    EXPECT_TRUE(program.Running());
  }
}

TEST(Encryption, InputThatCannotBeOpenedEndsTheProcess) {
  std::wstring folder = FreshFolder();
  std::wstring input = CopyFixture(L"text.txt", folder);
  std::wstring missing = folder + L"\\missing.txt";
  Program program(folder);
  ASSERT_NE(program.Dialog(), nullptr);
  ChooseFile(program, input);
  SetText(program.Item(IDC_FILE_NAME), missing);
  gui::TypeText(program.Item(IDC_KEY), L"key");
  gui::ClickAndWait(program.Item(IDC_FIBONACCI));

  gui::Click(program.Item(IDC_ENCRYPT));
  HWND notice = program.WaitForBox(L"Output Filename");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(gui::ReadBox(notice).text, missing + L".qor");
  gui::Press(notice, IDOK);
  HWND error = program.WaitForBox(L"Error: Could not open input file.");
  ASSERT_NE(error, nullptr);
  gui::BoxContent content = gui::ReadBox(error);
  EXPECT_EQ(content.text, missing);
  EXPECT_TRUE(content.hasIcon);
  gui::Press(error, IDOK);
  ExpectExit(program, 1);
  EXPECT_FALSE(gui::FileExists(missing + L".qor"));
}

}  // namespace
