// Every value's cycle of forms as one state machine over the 256 input
// bytes (before HalfTurn), laid out for the block loops: each state is one
// form, ready to be or-ed into a group word in either place, and the state
// of the value's next form.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qor {

struct FormState {
  std::uint32_t first;   // the form as a group's first form
  std::uint32_t second;  // the form as a group's second form
  std::uint32_t next;
};

struct FormMachine {
  std::vector<FormState> states;
  // The state of each input byte's first form: every record all zero.
  std::array<std::uint32_t, 256> start{};
  // Each input byte's cycle length; its states follow one another from start.
  std::array<std::uint32_t, 256> length{};
  // The value a group's first (high 12 bits of its 24-bit number) or second
  // (low 12 bits) half stands for: the sum of its digits' weights, up to 376.
  std::array<std::uint16_t, 4096> firstValue{}, secondValue{};

  FormMachine();

  // The state of `byte` after `steps` more occurrences from `state`.
  std::uint32_t Advanced(std::uint8_t byte, std::uint32_t state, std::uint32_t steps) const {
    return start[byte] + (state - start[byte] + steps) % length[byte];
  }
};

// Built once, on first use.
const FormMachine& TheFormMachine();

}  // namespace qor
