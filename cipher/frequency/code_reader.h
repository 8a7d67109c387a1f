// Reading codes back to characters: what each code (before mixing) stands
// for, and the counters of the cycling characters that tell whether a code
// can stand where it is. The decoder and both drop searches read every byte
// through it.
#pragma once

#include <array>
#include <cstdint>

namespace qor {

// The 29 cycling characters' counters, packed by a small index; padded to 32
// so that states compare as whole words.
using PackedCounters = std::array<std::uint8_t, 32>;

// The code that two characters share: the fourth E of a cycle, and every F.
inline constexpr std::uint8_t kFourthEOrF = 14;
// What that code is read as when it is taken for the fourth E: a byte the
// method drops, so that no other code reads as it. It stands for "E" to the
// counters and the text model; FourthEChoice settles, on the text around,
// which code 14 of the run it opens was really the E.
inline constexpr std::uint8_t kFourthEMark = 0x80;

// What one code (before mixing) stands for.
struct CodeMeaning {
  std::uint8_t byte = 0;
  std::int8_t counter = -1;  // packed counter of a cycling character, -1 for none
  std::uint8_t expect = 0;   // the counter value this code needs
  std::uint8_t cycle = 0;
  bool valid = false;        // some character gives this code
  // The counter's value once this code is read.
  std::uint8_t CounterAfter() const { return static_cast<std::uint8_t>(expect + 1 == cycle ? 0 : expect + 1); }
};

class CodeReader {
 public:
  // Built from FrequencyCodeTable on first use; never changes.
  static const CodeReader& Shared();

  const CodeMeaning& Meaning(std::uint8_t code) const { return meaning_[code]; }

  // Two packed counters that no character steps, so they stay 0: one for
  // the characters that do not cycle, whose codes always check, and one for
  // the codes no character gives, which ask it for 1 and so never check.
  static constexpr std::uint32_t kCounterOfFixedCodes = 31, kCounterOfUnusedCodes = 30;

  // Reads one code against the counters, stepping them; false when no
  // character gives this code now. Code 14 is the fourth E (kFourthEMark)
  // while E's counter stands at 3, F otherwise.
  bool Read(std::uint8_t code, PackedCounters& counters, std::uint8_t& byte) const {
    const std::uint32_t w = readWord_[code];
    std::uint8_t& c = counters[w >> 8 & 0xFF];
    if (c != static_cast<std::uint8_t>(w >> 16)) {
      if (code != kFourthEOrF) return false;
      byte = 'F';
      return true;
    }
    c = static_cast<std::uint8_t>(w >> 24);
    byte = static_cast<std::uint8_t>(w);
    return true;
  }

  // Whether Read would take this code now, without stepping the counters.
  bool Checks(std::uint8_t code, const PackedCounters& counters) const {
    const std::uint32_t w = readWord_[code];
    return counters[w >> 8 & 0xFF] == static_cast<std::uint8_t>(w >> 16) || code == kFourthEOrF;
  }

  // Steps the counters back over a byte that was read.
  void Unread(std::uint8_t byte, PackedCounters& counters) const;

  // Reads a cycling character's code although its counter disagrees, and
  // sets the counter by it; false for codes of no cycling character.
  bool Resync(std::uint8_t code, PackedCounters& counters, std::uint8_t& byte) const;

 private:
  CodeReader();

  std::array<CodeMeaning, 256> meaning_{};
  // The same, one word per code, so that reading a code takes one test:
  // the character in bits 0-7; in bits 8-15 its counter (or one of the two
  // above); in bits 16-23 the value the counter must hold; in bits 24-31
  // its next value.
  std::array<std::uint32_t, 256> readWord_{};
  // Each byte's packed counter (-1 for none) and cycle, to step a counter
  // back over a byte already read.
  std::array<std::int8_t, 256> counterOf_{};
  std::array<std::uint8_t, 256> cycleOf_{};
};

}  // namespace qor
