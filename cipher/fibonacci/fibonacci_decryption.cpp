// DecryptFibonacci as a block loop: whole runs unmixed at once, then each
// group's two halves read back to values through the form machine and
// checked against the form that value must have at this occurrence.
#include <algorithm>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/form_machine.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/stream_io.h"

namespace qor {

FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  FibonacciDecryptResult result;
  const std::int64_t size = StreamSize(input);
  auto reject = [&result](std::int64_t offset) {
    result.status = DecryptStatus::kRejected;
    result.badOffset = offset;
    return result;
  };
  // Encryption writes 3 bytes a pair and 2 for a cut last group, at least 2.
  if (size < 2) return reject(std::max<std::int64_t>(size, 0));
  if (size % 3 == 1) return reject(size - 1);

  const FormMachine& m = TheFormMachine();
  const auto mix = TripletMixPattern(key);
  std::array<std::uint32_t, 256> state = m.start;
  constexpr std::size_t kInBlock = kFibonacciBlock / 2 * 3;  // whole groups, whole mixing runs
  std::vector<std::uint8_t> in(kInBlock + 1);        // a spare byte for the last group's word
  BlockWriter writer(output, kFibonacciBlock, size / 3 * 2);

  // Checks one form against the current form of its value and steps that
  // value on; false when no value has this form now. `laid` is the form as
  // a group word, `half` its 12 digit bits.
  auto take = [&](std::uint32_t half, const std::array<std::uint16_t, 4096>& valueOf, std::uint32_t laid,
                  std::uint32_t FormState::*place, std::uint8_t*& o) {
    const std::uint16_t v = valueOf[half];
    if (v > 255) return false;
    const auto byte = static_cast<std::uint8_t>(v ^ 0x80);
    const FormState& expected = m.states[state[byte]];
    if (expected.*place != laid) return false;
    state[byte] = expected.next;
    *o++ = byte;
    return true;
  };

  for (std::int64_t done = 0; done < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(kInBlock, size - done));
    ReadBlock(input, in.data(), count);
    // Whole runs in a loop of fixed length, which the compiler vectorizes.
    std::size_t run = 0;
    for (; run + kMixRun <= count; run += kMixRun) {
      std::uint8_t* const r = in.data() + run;
      for (std::size_t i = 0; i < kMixRun; ++i) r[i] = static_cast<std::uint8_t>(r[i] - mix[i]);
    }
    for (std::size_t i = run; i < count; ++i) in[i] = static_cast<std::uint8_t>(in[i] - mix[i - run]);
    const std::size_t whole = count / 3 * 3;
    std::uint8_t* const out = writer.Buffer();
    std::uint8_t* o = out;
    for (std::size_t i = 0; i < whole; i += 3) {
      // The group as its word, and as one 24-bit number for the halves.
      std::uint32_t word = LoadGroup(in.data() + i);
      const std::uint32_t bits = GroupWord(word);
      std::uint8_t* const group = o;
      if (!take(bits >> 12, m.firstValue, word & GroupWord(0xFFF000u), &FormState::first, o) ||
          !take(bits & 0xFFFu, m.secondValue, word & GroupWord(0xFFFu), &FormState::second, o)) {
        writer.Write(static_cast<std::size_t>(group - out));
        return reject(done + static_cast<std::int64_t>(i));
      }
    }
    if (whole < count) {
      // The cut last group: a whole first form, then the filler (input
      // byte 0) of which only digits 11..8 were kept.
      const std::uint32_t bits = (std::uint32_t{in[whole]} << 16) | (std::uint32_t{in[whole + 1]} << 8);
      const bool firstChecks = take(bits >> 12, m.firstValue, GroupWord(bits & 0xFFF000u), &FormState::first, o);
      if (!firstChecks || (m.states[state[0]].second & GroupWord(0xF00u)) != GroupWord(bits & 0xF00u)) {
        writer.Write(static_cast<std::size_t>(o - out) - (firstChecks ? 1 : 0));
        return reject(done + static_cast<std::int64_t>(whole));
      }
      result.couldBeEmpty = size == 2 && out[0] == 0x00;
    }
    writer.Write(static_cast<std::size_t>(o - out));
    done += static_cast<std::int64_t>(count);
    if (!GoOn(progress, done, size)) {
      result.status = DecryptStatus::kStopped;
      return result;
    }
  }
  return result;
}

}  // namespace qor
