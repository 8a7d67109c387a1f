// Messages that carry a small struct from another thread to a window: the
// sender posts a copy, the window's map hands the handler a const reference
// to it and frees it afterwards. A worker reports this way instead of
// touching the window.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

#include "framework/message_map.h"

namespace fw {

// Posts `data` to `window` with `message`; false (and nothing leaks) when
// the window is gone. Messages still queued when the window is destroyed are
// lost with their data: a sender stops before its window closes.
template <class T>
bool PostData(HWND window, UINT message, T data) {
  if (!window) return false;  // not the thread's queue, which no map reads
  auto copy = std::make_unique<T>(std::move(data));
  if (!::PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(copy.get()))) return false;
  copy.release();  // the receiving map frees it
  return true;
}

template <class>
struct PostedHandlerTraits;
template <class T, class Data>
struct PostedHandlerTraits<void (T::*)(const Data&)> {
  using Class = T;
  using Type = Data;
};

// The thunk of ON_POSTED: void handler(const Data&).
template <auto Handler>
LRESULT CallPosted(CCmdTarget& target, WPARAM, LPARAM lParam) {
  using Traits = PostedHandlerTraits<decltype(Handler)>;
  std::unique_ptr<typename Traits::Type> data(reinterpret_cast<typename Traits::Type*>(lParam));
  if (data) (static_cast<typename Traits::Class&>(target).*Handler)(*data);
  return 0;
}

}  // namespace fw

// A message sent with fw::PostData; the handler's parameter names its type.
#define ON_POSTED(message, handler) {static_cast<UINT>(message), 0, 0, &fw::CallPosted<&ThisClass::handler>},
