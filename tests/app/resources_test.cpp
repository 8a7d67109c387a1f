// The executable's resources as Windows reads them: version block, icon,
// manifest, the About box's template.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "res/resource.h"

namespace {

std::wstring VersionString(const std::vector<unsigned char>& block, const wchar_t* name) {
  std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return L"<missing>";
  return std::wstring(value);
}

#pragma pack(push, 2)
struct IconDirEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct IconDir {
  WORD reserved, type, count;
  IconDirEntry entries[1];
};
#pragma pack(pop)

// A string or an ordinal (0xFFFF, then the number) of a dialog template.
struct NameOrOrdinal {
  std::wstring name;
  WORD ordinal = 0;
};

const WORD* ReadNameOrOrdinal(const WORD* at, NameOrOrdinal& out) {
  if (*at == 0xFFFF) {
    out.ordinal = at[1];
    return at + 2;
  }
  while (*at) out.name += static_cast<wchar_t>(*at++);
  return at + 1;
}

const WORD* AlignToDword(const WORD* at, const void* start) {
  auto offset = reinterpret_cast<const char*>(at) - static_cast<const char*>(start);
  return reinterpret_cast<const WORD*>(static_cast<const char*>(start) + ((offset + 3) & ~3));
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::LoadLibraryExW(gui::Environment(L"QOR_EXE").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) ::FreeLibrary(module_);
  }
  const void* Resource(LPCWSTR type, LPCWSTR name, DWORD* size = nullptr) const {
    HRSRC found = ::FindResourceW(module_, name, type);
    if (!found) return nullptr;
    if (size) *size = ::SizeofResource(module_, found);
    return ::LockResource(::LoadResource(module_, found));
  }
  HMODULE module_ = nullptr;
};

TEST_F(Resources, VersionBlockNamesTheProgram) {
  std::wstring exe = gui::Environment(L"QOR_EXE");
  DWORD ignored = 0;
  std::vector<unsigned char> block(::GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_TRUE(fixed->dwFileFlags & VS_FF_DEBUG);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  EXPECT_EQ(VersionString(block, L"FileDescription"), L"QOR Peldar Windows Version MFC Application");
  EXPECT_EQ(VersionString(block, L"FileVersion"), L"1, 0, 0, 1");
  EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1, 0, 0, 1");
  EXPECT_EQ(VersionString(block, L"InternalName"), L"QOR Peldar Windows Version");
  EXPECT_EQ(VersionString(block, L"ProductName"), L"QOR Peldar Windows Version");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"QOR Peldar Windows Version.EXE");

  WORD* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1200);
}

TEST_F(Resources, IconHasA32And16PixelImageIn16Colours) {
  auto* directory = static_cast<const IconDir*>(Resource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDR_MAINFRAME)));
  ASSERT_NE(directory, nullptr);
  ASSERT_EQ(directory->count, 2);
  std::vector<int> sizes;
  for (int i = 0; i < directory->count; ++i) {
    const IconDirEntry& entry = directory->entries[i];
    sizes.push_back(entry.width);
    EXPECT_EQ(entry.height, entry.width);
    auto* image = static_cast<const BITMAPINFOHEADER*>(Resource(RT_ICON, MAKEINTRESOURCEW(entry.id)));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->biBitCount, 4) << "16 colours";
    EXPECT_EQ(image->biWidth, entry.width);
  }
  EXPECT_EQ(sizes, (std::vector<int>{32, 16}));
}

TEST_F(Resources, ManifestAsksForCommonControls6AndDpiAwareness) {
  DWORD size = 0;
  auto* text = static_cast<const char*>(Resource(RT_MANIFEST, MAKEINTRESOURCEW(1), &size));
  ASSERT_NE(text, nullptr);
  std::string manifest(text, size);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAwareness"), std::string::npos);
}

TEST_F(Resources, AboutBoxIsAClassicTemplate) {
  const void* start = Resource(RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUTBOX));
  ASSERT_NE(start, nullptr);
  const auto* header = static_cast<const DLGTEMPLATE*>(start);
  ASSERT_NE(header->style, 0xFFFF0001u) << "an extended template";
  // Not visible: the modal run shows it.
  EXPECT_EQ(header->style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(header->dwExtendedStyle, 0u);
  ASSERT_EQ(header->cdit, 4);
  EXPECT_EQ(header->x, 0);
  EXPECT_EQ(header->y, 0);
  EXPECT_EQ(header->cx, 235);
  EXPECT_EQ(header->cy, 55);

  NameOrOrdinal menu, windowClass, caption, font;
  const WORD* at = reinterpret_cast<const WORD*>(header + 1);
  at = ReadNameOrOrdinal(at, menu);
  at = ReadNameOrOrdinal(at, windowClass);
  at = ReadNameOrOrdinal(at, caption);
  EXPECT_TRUE(menu.name.empty() && menu.ordinal == 0);
  EXPECT_TRUE(windowClass.name.empty() && windowClass.ordinal == 0);
  EXPECT_EQ(caption.name, L"About QOR Peldar Windows Version");
  const WORD points = *at++;
  at = ReadNameOrOrdinal(at, font);
  EXPECT_EQ(points, 8);
  EXPECT_EQ(font.name, L"MS Sans Serif");

  struct Item {
    DWORD style;
    WORD id;
    WORD classAtom;  // 0x0080 button, 0x0082 static
    const wchar_t* text;  // null: an ordinal, the icon's
    short x, y, cx, cy;
  };
  const Item items[] = {
      {WS_CHILD | WS_VISIBLE | SS_ICON, 0xFFFF, 0x0082, nullptr, 11, 17, 20, 20},
      {WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP, 0xFFFF, 0x0082,
       L"QOR Peldar Windows Version Version 1.0", 40, 10, 119, 8},
      {WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 0xFFFF, 0x0082, L"", 40, 25, 119, 8},
      {WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, IDOK, 0x0080, L"OK", 178, 7, 50, 14},
  };
  for (const Item& expected : items) {
    SCOPED_TRACE(testing::Message() << "control at " << expected.x << ", " << expected.y);
    at = AlignToDword(at, start);
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(at);
    EXPECT_EQ(item->style, expected.style);
    EXPECT_EQ(item->dwExtendedStyle, 0u);
    EXPECT_EQ(item->id, expected.id);
    EXPECT_EQ(item->x, expected.x);
    EXPECT_EQ(item->y, expected.y);
    EXPECT_EQ(item->cx, expected.cx);
    EXPECT_EQ(item->cy, expected.cy);
    NameOrOrdinal itemClass, text;
    at = ReadNameOrOrdinal(reinterpret_cast<const WORD*>(item + 1), itemClass);
    at = ReadNameOrOrdinal(at, text);
    EXPECT_EQ(itemClass.ordinal, expected.classAtom);
    if (!expected.text) {
      EXPECT_EQ(text.ordinal, IDR_MAINFRAME);
    } else if (*expected.text) {
      EXPECT_EQ(text.name, expected.text);
    } else {
      EXPECT_FALSE(text.name.empty()) << "the second line has a text";
    }
    const WORD extra = *at++;
    at = reinterpret_cast<const WORD*>(reinterpret_cast<const char*>(at) + extra);
  }
}

}  // namespace
