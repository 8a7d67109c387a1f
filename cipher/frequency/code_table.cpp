#include "cipher/frequency/code_table.h"

namespace qor {

namespace {

constexpr std::array<FrequencyCode, 256> BuildFrequencyCodeTable() {
  std::array<FrequencyCode, 256> t{};  // every byte dropped unless set below
  auto set = [&t](int byte, int first, int cycle) {
    t[byte] = {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(cycle)};
  };
  // Letters: byte, first code, cycle length. Uppercase codes 0..53, then
  // lowercase 54..109; Ñ and ñ sit between N and O.
  struct Letter { int upper, upperFirst, upperCycle, lower, lowerFirst, lowerCycle; };
  constexpr Letter letters[] = {
      {'A', 0, 4, 'a', 54, 4},   {'B', 4, 1, 'b', 58, 1},   {'C', 5, 3, 'c', 59, 3},
      {'D', 8, 3, 'd', 62, 4},   {'E', 11, 4, 'e', 66, 4},  {'F', 14, 1, 'f', 70, 1},
      {'G', 15, 1, 'g', 71, 1},  {'H', 16, 1, 'h', 72, 1},  {'I', 17, 3, 'i', 73, 3},
      {'J', 20, 1, 'j', 76, 1},  {'K', 21, 1, 'k', 77, 1},  {'L', 22, 3, 'l', 78, 3},
      {'M', 25, 2, 'm', 81, 2},  {'N', 27, 3, 'n', 83, 3},  {0xD1, 30, 1, 0xF1, 86, 1},
      {'O', 31, 3, 'o', 87, 3},  {'P', 34, 2, 'p', 90, 2},  {'Q', 36, 1, 'q', 92, 1},
      {'R', 37, 3, 'r', 93, 4},  {'S', 40, 3, 's', 97, 3},  {'T', 43, 3, 't', 100, 3},
      {'U', 46, 3, 'u', 103, 2}, {'V', 49, 1, 'v', 105, 1}, {'W', 50, 1, 'w', 106, 1},
      {'X', 51, 1, 'x', 107, 1}, {'Y', 52, 1, 'y', 108, 1}, {'Z', 53, 1, 'z', 109, 1},
  };
  for (const Letter& l : letters) {
    set(l.upper, l.upperFirst, l.upperCycle);
    set(l.lower, l.lowerFirst, l.lowerCycle);
  }
  for (int b = 0x00; b <= 0x1F; ++b) set(b, b + 110, 1);  // control characters
  set(0x20, 143, 6);                                       // space
  for (int b = 0x21; b <= 0x40; ++b) set(b, b + 117, 1);  // punctuation, digits
  for (int b = 0x5B; b <= 0x60; ++b) set(b, b + 91, 1);   // [ \ ] ^ _ `
  for (int b = 0x7B; b <= 0x7E; ++b) set(b, b + 66, 1);   // { | } ~
  return t;
}

}  // namespace

// Built at compile time, so that no other file's start-up can read it unset.
constinit const std::array<FrequencyCode, 256> FrequencyCodeTable = BuildFrequencyCodeTable();

}  // namespace qor
