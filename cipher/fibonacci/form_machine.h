// Every value's cycle of forms as one state machine over the 256 input
// bytes (before HalfTurn), laid out for the block loops: each state is one
// form, ready to be or-ed into a group word in either place, and the state
// of the value's next form.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qor {

// The states, each part in its own array, so that a state's index scales
// to an entry's address inside the load and the block loops spend no
// instruction on it.
struct FormStates {
  std::vector<std::uint32_t> first;   // the form as a group's first form
  std::vector<std::uint32_t> second;  // the form as a group's second form
  std::vector<std::uint32_t> next;
};

// A state as decryption reads it: the form as the 12 bits of a group's
// first half (bits 23..12 of its 24-bit number) and of its second half
// (bits 11..0), and the next state; small, so that the whole machine stays
// in the first-level cache, and eight bytes, so that a state's index scales
// to its address inside the load.
struct FormHalves {
  std::uint16_t first;
  std::uint16_t second;
  std::uint16_t next;
  std::uint16_t unused = 0;
};

struct FormMachine {
  FormStates states;
  std::vector<FormHalves> halves;  // the same states
  // The state of each input byte's first form: every record all zero.
  std::array<std::uint32_t, 256> start{};
  // Each input byte's cycle length; its states follow one another from start.
  std::array<std::uint32_t, 256> length{};
  // The input byte whose value a group's first or second half adds up to.
  // A half that adds up to more than 255 gets byte 0: it is no form of any
  // value, so it never equals the current form of byte 0.
  std::array<std::uint8_t, 4096> firstByte{}, secondByte{};

  FormMachine();

  // The state of `byte` after `steps` more occurrences from `state`.
  std::uint32_t Advanced(std::uint8_t byte, std::uint32_t state, std::uint32_t steps) const {
    return start[byte] + (state - start[byte] + steps) % length[byte];
  }
  // Every byte's state moved on by its number of occurrences.
  void Advance(std::array<std::uint32_t, 256>& state, const std::array<std::uint32_t, 256>& occurrences) const {
    for (int b = 0; b < 256; ++b) state[b] = Advanced(static_cast<std::uint8_t>(b), state[b], occurrences[b]);
  }
};

// Built once, on first use.
const FormMachine& TheFormMachine();

}  // namespace qor
