#include "framework/dropped_files.h"

#include "framework/cstring.h"

namespace fw {

std::vector<std::string> DroppedFileNames(HDROP hDropInfo) {
  std::vector<std::string> names;
  const UINT count = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    const UINT got = ::DragQueryFileW(hDropInfo, i, name.data(), length + 1);
    name.resize(got);
    names.push_back(Narrow(name));
  }
  return names;
}

void FinishDrop(HDROP hDropInfo) { ::DragFinish(hDropInfo); }

}  // namespace fw
