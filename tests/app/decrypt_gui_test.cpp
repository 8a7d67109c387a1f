// "QOR Descifrar.exe" as a user meets it, driven from outside under Wine:
// files the native qor encrypted come back, and every way a run can end
// leaves only what its message says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "res/decrypt_resource.h"

#include <commctrl.h>

namespace {

using gui::Program;

const std::wstring kCaption = L"QOR Descifrar";

std::wstring Fixture(const std::wstring& name) { return gui::Environment(L"QOR_FIXTURES") + L"\\" + name; }

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

// A folder of its own for each test, holding copies of the fixtures named
// and nothing else.
std::wstring FolderWith(const std::vector<std::wstring>& fixtures) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring folder = gui::Environment(L"QOR_WORK") + L"\\decrypt-" + gui::Widen(test->name());
  ::CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& left : FilesIn(folder)) ::DeleteFileW((folder + L"\\" + left).c_str());
  for (const std::wstring& name : fixtures) ::CopyFileW(Fixture(name).c_str(), (folder + L"\\" + name).c_str(), FALSE);
  return folder;
}

Program StartDecrypt(const std::wstring& folder, const std::wstring& arguments = L"") {
  return Program(folder, gui::Environment(L"QOR_DECRYPT_EXE"), kCaption, arguments);
}

void SetText(HWND window, const std::wstring& text) {
  ::SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void EnterKey(const Program& program, const std::wstring& key) {
  SetText(program.Item(IDC_KEY), L"");
  gui::TypeText(program.Item(IDC_KEY), key);
}

// Clicks the button, expects a box whose text holds every fragment, and
// answers it with `answer`.
void ExpectBox(const Program& program, int button, const std::vector<std::wstring>& says, int answer = IDOK) {
  if (button) gui::Click(program.Item(button));
  HWND box = program.WaitForBox(kCaption);
  ASSERT_NE(box, nullptr) << "no box";
  const gui::BoxContent content = gui::ReadBox(box);
  for (const std::wstring& fragment : says)
    EXPECT_NE(content.text.find(fragment), std::wstring::npos) << testing::PrintToString(content.text);
  EXPECT_TRUE(content.hasIcon);
  gui::Press(box, answer);
  ASSERT_TRUE(program.WaitClosed(box));
}

// Answers a chooser (Open or Save) of the program with `path`.
void AnswerChooser(const Program& program, const std::wstring& title, const std::wstring& path) {
  HWND chooser = nullptr;
  ASSERT_TRUE(gui::WaitUntil([&] {
    chooser = program.FindBox(title);
    return chooser && ::GetDlgItem(chooser, 0x047C);
  })) << "no chooser " << testing::PrintToString(title);
  EXPECT_EQ(::GetWindow(chooser, GW_OWNER), program.Dialog());
  ::SendMessageW(::GetDlgItem(chooser, 0x047C), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  gui::Press(chooser, IDOK);
  ASSERT_TRUE(program.WaitClosed(chooser));
}

struct DecryptCase {
  std::wstring method;  // fibonacci, frequency
  std::wstring key;
  std::wstring encrypted;
  std::wstring original;
};

std::vector<DecryptCase> ReadCases() {
  std::vector<DecryptCase> cases;
  for (const auto& row : gui::ReadTable(Fixture(L"decrypt-cases.txt"), 4)) cases.push_back({row[0], row[1], row[2], row[3]});
  return cases;
}

TEST(DecryptProgram, GivesBackWhatQorEncryptedByEachMethodAndAutomatically) {
  const std::vector<DecryptCase> cases = ReadCases();
  ASSERT_EQ(cases.size(), 2u) << "one case a method in QOR_FIXTURES";
  std::vector<std::wstring> files;
  for (const DecryptCase& c : cases) files.push_back(c.encrypted);
  const std::wstring folder = FolderWith(files);

  // The first file named on the command line, as "Open with" does.
  const std::wstring first = folder + L"\\" + cases[0].encrypted;
  Program program = StartDecrypt(folder, L"\"" + first + L"\"");
  ASSERT_NE(program.Dialog(), nullptr);
  EXPECT_EQ(gui::WindowText(program.Item(IDC_ENCRYPTED_NAME)), first);
  EXPECT_EQ(gui::WindowText(program.Item(IDC_OUTPUT_NAME)), folder + L"\\" + cases[0].original);
  EXPECT_EQ(program.Focus(), program.Item(IDC_KEY)) << "the key is what is left to type";
  EXPECT_EQ(::SendMessageW(program.Item(IDC_AUTOMATIC), BM_GETCHECK, 0, 0), BST_CHECKED);

  int run = 0;
  for (const DecryptCase& c : cases) {
    for (bool automatic : {true, false}) {
      SCOPED_TRACE(testing::Message() << testing::PrintToString(c.encrypted) << (automatic ? " automatic" : ""));
      const std::wstring encrypted = folder + L"\\" + c.encrypted;
      if (run == 1) {
        // Chosen with "Examinar...", which fills in the name without ".qor".
        gui::Click(program.Item(IDC_BROWSE));
        AnswerChooser(program, L"Elija el archivo cifrado", encrypted);
        EXPECT_EQ(gui::WindowText(program.Item(IDC_OUTPUT_NAME)), folder + L"\\" + c.original);
      }
      const std::wstring before = gui::WindowText(program.Item(IDC_OUTPUT_NAME));
      SetText(program.Item(IDC_ENCRYPTED_NAME), encrypted);
      if (run > 1) {
        EXPECT_EQ(gui::WindowText(program.Item(IDC_OUTPUT_NAME)), before) << "the user's output stays";
      }
      const std::wstring output = folder + L"\\salida \u00f1 " + std::to_wstring(++run) + L".out";
      SetText(program.Item(IDC_OUTPUT_NAME), output);
      EnterKey(program, c.key);
      const int radio = automatic ? IDC_AUTOMATIC : c.method == L"fibonacci" ? IDC_FIBONACCI : IDC_FREQUENCY;
      gui::ClickAndWait(program.Item(radio));

      const std::wstring method = c.method == L"fibonacci" ? L"Fibonacci" : L"normalizaci\u00f3n de frecuencia";
      ExpectBox(program, IDC_DECRYPT, {L"Descifrado: " + output, L"M\u00e9todo: " + method});
      EXPECT_EQ(gui::ReadFile(output), gui::ReadFile(Fixture(c.original))) << "byte for byte";
    }
  }
  EXPECT_TRUE(program.Running());
}

TEST(DecryptProgram, WrongKeyWritesNothingAndAnExistingOutputGoesOnlyOnYes) {
  const DecryptCase c = ReadCases().at(0);
  const std::wstring folder = FolderWith({c.encrypted});
  const std::wstring encrypted = folder + L"\\" + c.encrypted;
  const std::wstring output = folder + L"\\" + c.original;
  Program program = StartDecrypt(folder, L"\"" + encrypted + L"\"");
  ASSERT_NE(program.Dialog(), nullptr);
  // A typed name takes the output name along while the dialog chose it.
  SetText(program.Item(IDC_ENCRYPTED_NAME), folder + L"\\otro.QOR");
  EXPECT_EQ(gui::WindowText(program.Item(IDC_OUTPUT_NAME)), folder + L"\\otro");
  SetText(program.Item(IDC_ENCRYPTED_NAME), encrypted);
  EXPECT_EQ(gui::WindowText(program.Item(IDC_OUTPUT_NAME)), output);

  EnterKey(program, c.key + L"x");
  ExpectBox(program, IDC_DECRYPT, {L"No se puede descifrar", L"No se ha escrito nada."});
  EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{c.encrypted}) << "no output, no temporary";

  EnterKey(program, c.key);
  const std::vector<unsigned char> old = {'o', 'l', 'd'};
  gui::WriteFile(output, old);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDNO ? "No" : "Yes");
    gui::Click(program.Item(IDC_DECRYPT));
    HWND question = program.WaitForBox(kCaption);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(gui::ReadBox(question).text.find(L"ya existe"), std::wstring::npos);
    // Enter presses the focused button: No is the default answer.
    EXPECT_TRUE(gui::WaitUntil([&] { return program.Focus() == ::GetDlgItem(question, IDNO); }));
    gui::Press(question, answer);
    ASSERT_TRUE(program.WaitClosed(question));
    if (answer == IDNO) {
      EXPECT_EQ(gui::ReadFile(output), old);
    } else {
      ExpectBox(program, 0, {L"Descifrado: " + output});
      EXPECT_EQ(gui::ReadFile(output), gui::ReadFile(Fixture(c.original)));
    }
  }
}

TEST(DecryptProgram, StoppingOrClosingDuringALargeFileLeavesNothing) {
  const std::wstring folder = FolderWith({L"grande.txt.qor"});
  Program program = StartDecrypt(folder, L"\"" + folder + L"\\grande.txt.qor\"");
  ASSERT_NE(program.Dialog(), nullptr);
  EnterKey(program, L"k");
  HWND bar = program.Item(IDC_PROGRESS);

  for (bool close : {false, true}) {
    SCOPED_TRACE(close ? "closed" : "Cancelar");
    gui::Click(program.Item(IDC_DECRYPT));
    ASSERT_TRUE(gui::WaitUntil([&] { return ::SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; })) << "the bar never moved";
    // Under way: the window answers, one run at a time, "Cancelar" usable.
    DWORD_PTR ignored = 0;
    EXPECT_NE(::SendMessageTimeoutW(program.Dialog(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored), 0);
    EXPECT_FALSE(::IsWindowEnabled(program.Item(IDC_DECRYPT)));
    EXPECT_TRUE(::IsWindowEnabled(program.Item(IDC_STOP)));
    EXPECT_LT(::SendMessageW(bar, PBM_GETPOS, 0, 0), 1000) << "the run ended before it could be stopped";
    if (close) {
      ::PostMessageW(program.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
      DWORD status = 1;
      ASSERT_TRUE(program.WaitForExit(status));
      EXPECT_EQ(status, 0u);
    } else {
      ExpectBox(program, IDC_STOP, {L"cancelado", L"No se ha escrito nada."});
      EXPECT_TRUE(::IsWindowEnabled(program.Item(IDC_DECRYPT)));
    }
    EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"grande.txt.qor"});
  }
}

TEST(DecryptProgram, VerifyReportsAMatchAndTheFirstDifference) {
  const DecryptCase c = ReadCases().at(0);
  const std::wstring folder = FolderWith({c.encrypted, c.original});
  const std::wstring original = folder + L"\\" + c.original;
  Program program = StartDecrypt(folder, L"\"" + folder + L"\\" + c.encrypted + L"\"");
  ASSERT_NE(program.Dialog(), nullptr);
  EnterKey(program, c.key);

  const std::wstring title = L"Elija el archivo original con el que comparar";
  gui::Click(program.Item(IDC_VERIFY));
  AnswerChooser(program, title, original);
  ExpectBox(program, 0, {L"Verificaci\u00f3n correcta", L"byte a byte"});

  std::vector<unsigned char> changed = gui::ReadFile(original);
  ASSERT_GT(changed.size(), 300u);
  changed[300] ^= 0x40;
  gui::WriteFile(original, changed);
  gui::Click(program.Item(IDC_VERIFY));
  AnswerChooser(program, title, original);
  ExpectBox(program, 0, {L"no se descifra en", L"posici\u00f3n 300 del original"});
  EXPECT_EQ(FilesIn(folder).size(), 2u) << "verifying writes nothing";
}

// The executable's own resources, as Windows reads them.
TEST(DecryptProgram, CarriesItsVersionAndAsksForCommonControls6) {
  const std::wstring exe = gui::Environment(L"QOR_DECRYPT_EXE");
  DWORD ignored = 0;
  std::vector<unsigned char> block(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  const std::wstring version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                               std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                               std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                               std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(version, gui::Widen(QOR_PROJECT_VERSION));
  wchar_t* text = nullptr;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\0C0A04B0\\OriginalFilename",
                               reinterpret_cast<void**>(&text), &length));
  EXPECT_EQ(std::wstring(text), L"QOR Descifrar.exe");

  HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr);
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(found, nullptr);
  std::string manifest(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                       ::SizeofResource(module, found));
  ::FreeLibrary(module);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

}  // namespace
