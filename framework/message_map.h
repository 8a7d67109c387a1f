// Message maps: each class that handles messages declares a static table of
// (message, notification code, control id, handler) rows. One function,
// CCmdTarget::Dispatch, looks a message up in the class's table and then in
// its bases' tables; the first matching row handles it. Rows for other than
// WM_COMMAND leave the code and the id at 0.
#pragma once

#include <type_traits>

#include "framework/win32.h"

class CCmdTarget;

namespace fw {

// Calls one handler with what it takes from the message, and turns its
// result into the message's result.
using HandlerThunk = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
  UINT message;
  UINT code;  // WM_COMMAND only: the notification code (BN_CLICKED, EN_UPDATE, ...)
  UINT id;    // WM_COMMAND only: the control or command id
  HandlerThunk handler;  // null ends the table
};

struct MessageMap {
  const MessageMap* (*base)();  // null at the root
  const MessageMapEntry* entries;
};

template <class>
struct HandlerTraits;
template <class T, class R, class... Args>
struct HandlerTraits<R (T::*)(Args...)> {
  using Class = T;
  using Result = R;
  static constexpr std::size_t arity = sizeof...(Args);
};

// The handler signatures the maps use: void() for commands and WM_PAINT,
// R() returning a handle (WM_QUERYDRAGICON), void(UINT, LPARAM) for
// WM_SYSCOMMAND.
template <auto Handler>
LRESULT Call(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
  using Traits = HandlerTraits<decltype(Handler)>;
  auto& object = static_cast<typename Traits::Class&>(target);
  if constexpr (Traits::arity == 2) {
    static_assert(std::is_void_v<typename Traits::Result>);
    (object.*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
  } else if constexpr (std::is_void_v<typename Traits::Result>) {
    static_assert(Traits::arity == 0);
    (object.*Handler)();
    return 0;
  } else {
    static_assert(Traits::arity == 0);
    return reinterpret_cast<LRESULT>((object.*Handler)());
  }
}

}  // namespace fw

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;

  // The single dispatch point: runs the first row of this object's maps that
  // matches, and tells whether there was one.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  static const fw::MessageMap* GetThisMessageMap();

 protected:
  virtual const fw::MessageMap* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                      \
 protected:                                        \
  const fw::MessageMap* GetMessageMap() const override; \
                                                   \
 public:                                           \
  static const fw::MessageMap* GetThisMessageMap();

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                   \
  const fw::MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const fw::MessageMap* theClass::GetThisMessageMap() {                          \
    using ThisClass [[maybe_unused]] = theClass;  /* an empty map names no handler */ \
    using TheBaseClass = baseClass;                                              \
    static const fw::MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                    \
  { 0, 0, 0, nullptr }                                                       \
  }                                                                          \
  ;                                                                          \
  static const fw::MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
  return &map;                                                               \
  }

// Handlers are named as members of the class (OnEncrypt) or of a base
// (CWinApp::OnHelp).
#define ON_COMMAND(id, handler) {WM_COMMAND, 0, static_cast<UINT>(id), &fw::Call<&ThisClass::handler>},
#define ON_CONTROL(code, id, handler) \
  {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), &fw::Call<&ThisClass::handler>},
#define ON_BN_CLICKED(id, handler) ON_CONTROL(BN_CLICKED, id, handler)
#define ON_EN_UPDATE(id, handler) ON_CONTROL(EN_UPDATE, id, handler)
#define ON_EN_CHANGE(id, handler) ON_CONTROL(EN_CHANGE, id, handler)
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &fw::Call<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &fw::Call<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &fw::Call<&ThisClass::OnQueryDragIcon>},
