#include "cipher/fibonacci/fibonacci.h"

#include "cipher/stream_io.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace qor {

namespace {

// As one 24-bit number (byte 0 highest), the first form's digit i is bit
// 23 - i and the second form's digit i is bit i.
std::uint32_t FirstFormBits(std::uint16_t mask) {
  std::uint32_t bits = 0;
  for (int i = 0; i < 12; ++i)
    if (mask & (1u << i)) bits |= 1u << (23 - i);
  return bits;
}

std::uint32_t SecondFormBits(std::uint16_t mask) { return mask; }

// The key's pattern over the output repeats every 420 bytes (kMixCycle).
// The block loop mixes whole runs of 3360 output bytes, a multiple of 420
// and of any vector width, from 2240 input bytes; every block is a whole
// number of runs, so it starts at the same place in the pattern.
constexpr std::size_t kMixRun = 8 * kMixCycle;         // 3360 output bytes
constexpr std::size_t kRunInput = kMixRun / 3 * 2;     // 2240 input bytes
constexpr std::size_t kBlock = 29 * kRunInput;         // 64960 bytes in, 97440 out

// A group as the little-endian word whose first three bytes in memory are
// byte 0, byte 1 and byte 2 of the group.
constexpr std::uint32_t GroupWord(std::uint32_t bits) {
  return (bits >> 16 & 0xFF) | (bits >> 8 & 0xFF) << 8 | (bits & 0xFF) << 16;
}

// Every value's cycle of forms as one state machine over all 256 byte
// values (before HalfTurn): state s is one form, laid out as a group word
// for either place in a group, and the state of the value's next form.
struct FormState {
  std::uint32_t first;   // the form as a group's first form
  std::uint32_t second;  // the form as a group's second form
  std::uint32_t next;
};

struct FormMachine {
  std::vector<FormState> states;
  std::array<std::uint32_t, 256> start{};  // by input byte
  // The value a group's first (high 12 bits) or second (low 12 bits) half
  // stands for: the sum of the weights of its digits, up to 376.
  std::array<std::uint16_t, 4096> firstValue{}, secondValue{};

  FormMachine() {
    for (std::uint32_t half = 0; half < 4096; ++half) {
      for (int i = 0; i < 12; ++i) {
        if (half & (1u << (11 - i))) firstValue[half] = static_cast<std::uint16_t>(firstValue[half] + kFibonacciBasis[i]);
        if (half & (1u << i)) secondValue[half] = static_cast<std::uint16_t>(secondValue[half] + kFibonacciBasis[i]);
      }
    }
    const RepresentationCycles& cycles = RepresentationCycles::Get();
    for (int v = 0; v < 256; ++v) {
      const auto& cycle = cycles.Cycle(v);
      std::int32_t byte = v;
      HalfTurn(byte);  // the input byte that turns into v
      start[byte] = static_cast<std::uint32_t>(states.size());
      for (std::size_t k = 0; k < cycle.size(); ++k) {
        const auto next = static_cast<std::uint32_t>(k + 1 < cycle.size() ? states.size() + 1 : start[byte]);
        states.push_back({GroupWord(FirstFormBits(cycle[k])), GroupWord(SecondFormBits(cycle[k])), next});
      }
    }
  }
};

const FormMachine& Machine() {
  static const FormMachine machine;
  return machine;
}

// What MixTriplet adds to each byte of a run of output.
std::array<std::uint8_t, kMixRun> TripletMixPattern(const CipherKey& key) {
  std::array<std::uint8_t, kMixRun> pattern{};
  for (std::size_t g = 0; g < kMixRun / 3; ++g) {
    FibonacciGroup zero{};
    MixTriplet(zero, static_cast<std::int64_t>(2 * g + 2), key);
    std::copy(zero.begin(), zero.end(), pattern.begin() + static_cast<std::ptrdiff_t>(3 * g));
  }
  return pattern;
}

// Writes the group's three bytes at o, and a fourth that the next group
// overwrites (the buffer has room for it).
inline void StoreGroup(std::uint8_t* o, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(o, &word, 4);
  } else {
    o[0] = static_cast<std::uint8_t>(word);
    o[1] = static_cast<std::uint8_t>(word >> 8);
    o[2] = static_cast<std::uint8_t>(word >> 16);
  }
}

// The group at p as its word (see GroupWord); reads a fourth byte past it.
inline std::uint32_t LoadGroup(const std::uint8_t* p) {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t word;
    std::memcpy(&word, p, 4);
    return word & 0xFFFFFFu;
  } else {
    return p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
  }
}

}  // namespace

void HalfTurn(std::int32_t& value) { value = value < 128 ? value + 128 : value - 128; }

void PackForms(const FibonacciDigits& first, const FibonacciDigits& second, FibonacciGroup& group) {
  const std::uint32_t bits = FirstFormBits(DigitsMask(first)) | SecondFormBits(DigitsMask(second));
  group[0] = static_cast<std::uint8_t>(group[0] | (bits >> 16));
  group[1] = static_cast<std::uint8_t>(group[1] | (bits >> 8));
  group[2] = static_cast<std::uint8_t>(group[2] | bits);
}

void MixTriplet(FibonacciGroup& group, std::int64_t position, const CipherKey& key) {
  const std::int64_t g = (position - 2) / 2;
  int j = static_cast<int>((g % key.length) * 3 % key.length);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t k = key.bytes[j];
    group[i] = static_cast<std::uint8_t>(i % 2 == 0 ? group[i] + k : group[i] - k);
    j = (j + 1) % key.length;
  }
}

std::int64_t FibonacciOutputLength(std::int64_t inputLength) {
  if (inputLength <= 0) return 2;  // one group of two fillers, cut
  return inputLength % 2 == 0 ? inputLength / 2 * 3 : (3 * (inputLength / 2)) + 2;
}

void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  const std::int64_t size = StreamSize(input);
  const FormMachine& m = Machine();
  const auto mix = TripletMixPattern(key);
  std::array<std::uint32_t, 256> state = m.start;  // every record all zero
  // Two spare input bytes take the filler of an odd or empty input; the
  // output has room for the last group's spare fourth byte and a whole run.
  std::vector<std::uint8_t> in(kBlock + 2);
  BlockWriter writer(output, kBlock / 2 * 3 + kMixRun, FibonacciOutputLength(size));

  std::int64_t done = 0;
  bool last = false;
  while (!last) {
    const std::int64_t left = std::max<std::int64_t>(size - done, 0);
    auto count = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, left));
    ReadBlock(input, in.data(), count);
    done += static_cast<std::int64_t>(count);
    last = done >= size;  // the group that reaches the size is the last
    std::size_t outCount = count / 2 * 3;
    if (last && (count % 2 == 1 || size <= 0)) {
      // The cut last group: the real byte if any, then fillers (0).
      in[count] = 0;
      if (size <= 0) in[count + 1] = 0;
      count += count % 2 == 1 ? 1 : 2;
      outCount += 2;
    }
    std::uint8_t* const out = writer.Buffer();
    std::uint8_t* o = out;
    for (std::size_t i = 0; i < count; i += 2, o += 3) {
      const FormState& a = m.states[state[in[i]]];
      state[in[i]] = a.next;
      const FormState& b = m.states[state[in[i + 1]]];
      state[in[i + 1]] = b.next;
      StoreGroup(o, a.first | b.second);
    }
    for (std::size_t run = 0; run < outCount; run += kMixRun) {
      std::uint8_t* r = out + run;
      for (std::size_t i = 0; i < kMixRun; ++i) r[i] = static_cast<std::uint8_t>(r[i] + mix[i]);
    }
    writer.Write(outCount);
    if (!GoOn(progress, std::min(done, std::max<std::int64_t>(size, 0)), size)) return;
  }
}

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

  const FormMachine& m = Machine();
  const auto mix = TripletMixPattern(key);
  std::array<std::uint32_t, 256> state = m.start;
  constexpr std::size_t kInBlock = kBlock / 2 * 3;  // whole groups, whole mixing runs
  std::vector<std::uint8_t> in(kInBlock + 1);        // a spare byte for the last group's word
  BlockWriter writer(output, kBlock, size / 3 * 2);

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
