#include "framework/message_map.h"

const fw::MessageMap* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const fw::MessageMap* CCmdTarget::GetThisMessageMap() {
  static const fw::MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const fw::MessageMap map = {nullptr, entries};
  return &map;
}

bool CCmdTarget::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool command = message == WM_COMMAND;
  const UINT code = command ? HIWORD(wParam) : 0;
  const UINT id = command ? LOWORD(wParam) : 0;
  for (const fw::MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
    for (const fw::MessageMapEntry* entry = map->entries; entry->handler != nullptr; ++entry) {
      if (entry->message == message && entry->code == code && entry->id == id) {
        result = entry->handler(*this, wParam, lParam);
        return true;
      }
    }
  }
  return false;
}
