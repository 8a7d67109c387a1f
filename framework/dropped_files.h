// Files dropped onto a window that accepts them (CWnd::DragAcceptFiles):
// ON_WM_DROPFILES calls void OnDropFiles(HDROP), then releases the drop.
#pragma once

#include <string>
#include <vector>

#include "framework/message_map.h"

#include <shellapi.h>

namespace fw {

// The dropped files' full names, in UTF-8, in the order the drop lists them.
std::vector<std::string> DroppedFileNames(HDROP hDropInfo);

void FinishDrop(HDROP hDropInfo);

template <auto Handler>
LRESULT CallDropFiles(CCmdTarget& target, WPARAM wParam, LPARAM) {
  using Traits = HandlerTraits<decltype(Handler)>;
  auto drop = reinterpret_cast<HDROP>(wParam);
  (static_cast<typename Traits::Class&>(target).*Handler)(drop);
  FinishDrop(drop);
  return 0;
}

}  // namespace fw

#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, &fw::CallDropFiles<&ThisClass::OnDropFiles>},
