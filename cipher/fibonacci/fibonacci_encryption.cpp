// EncryptFibonacci as a block loop: each byte steps its value's state in
// the form machine, two forms make a group word, and whole runs of output
// are mixed with the key's repeating amounts at once. The two lanes of a
// block run on two threads when the machine has them.
#include <algorithm>
#include <cstring>
#include <vector>

#include "cipher/block_pipeline.h"
#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/form_machine.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

using States = std::array<std::uint32_t, 256>;

// Encrypts `count` input bytes (even, starting at a whole run) into
// count / 2 groups at out. The last group is stored without the spare
// fourth byte, which may belong to the next lane; the mixing may go on up
// to a whole run past the groups.
void EncryptLane(const std::uint8_t* in, std::size_t count, std::uint8_t* out, States& state,
                 const std::array<std::uint8_t, kMixRun>& mix) {
  // Plain pointers and locals: a byte store may alias anything, which
  // would make the compiler reload each of them after every group.
  const FormState* const states = TheFormMachine().states.data();
  std::uint32_t* const current = state.data();
  std::uint8_t* o = out;
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < count; i += 2) {
    if (i != 0) {
      StoreGroup(o, word);
      o += 3;
    }
    const std::uint8_t x = in[i], y = in[i + 1];
    const FormState& a = states[current[x]];
    current[x] = a.next;
    const FormState& b = states[current[y]];
    current[y] = b.next;
    word = a.first | b.second;
  }
  if (count != 0) {
    std::uint8_t last[4];
    StoreGroup(last, word);
    std::memcpy(o, last, 3);
  }
  const std::size_t outCount = count / 2 * 3;
  for (std::size_t run = 0; run < outCount; run += kMixRun) MixRun(out + run, mix);
}

// Moves the states on over `count` input bytes as EncryptLane would.
void SkipLane(const std::uint8_t* in, std::size_t count, States& state) {
  const FormMachine& m = TheFormMachine();
  const auto occurrences = CountBytes(in, count);
  for (int b = 0; b < 256; ++b) state[b] = m.Advanced(static_cast<std::uint8_t>(b), state[b], occurrences[b]);
}

}  // namespace

std::int64_t FibonacciOutputLength(std::int64_t inputLength) {
  if (inputLength <= 0) return 2;  // one group of two fillers, cut
  return inputLength % 2 == 0 ? inputLength / 2 * 3 : (3 * (inputLength / 2)) + 2;
}

void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  EncryptFibonacci(input, output, key, progress, BlockPlan{});
}

void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress, const BlockPlan& plan) {
  const std::int64_t size = StreamSize(input);
  const auto mix = TripletMixPattern(key);
  States state = TheFormMachine().start;  // every record all zero
  const std::size_t block = 2 * plan.lane;
  // Two spare input bytes take the filler of an odd or empty input; the
  // output has room for a whole run of mixing past the last group.
  std::vector<std::uint8_t> in(block + 2);
  BlockWriter writer(output, block / 2 * 3 + kMixRun, FibonacciOutputLength(size));
  LanePair lanes(plan, size);

  std::int64_t done = 0;
  bool last = false;
  while (!last) {
    const std::int64_t left = std::max<std::int64_t>(size - done, 0);
    auto count = static_cast<std::size_t>(std::min<std::int64_t>(block, left));
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
    const std::size_t first = FirstLane(count, plan);
    if (lanes.Parallel() && first < count) {
      States second = state;
      lanes.Run([&] { EncryptLane(in.data(), first, out, state, mix); },
                [&] {
                  SkipLane(in.data(), first, second);
                  EncryptLane(in.data() + first, count - first, out + first / 2 * 3, second, mix);
                });
      state = second;
    } else {
      EncryptLane(in.data(), count, out, state, mix);
    }
    writer.Write(outCount);
    if (!GoOn(progress, std::min(done, std::max<std::int64_t>(size, 0)), size)) return;
  }
}

}  // namespace qor
