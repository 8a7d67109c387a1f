// EncryptFibonacci as a block loop: each byte steps its value's state in
// the form machine, two forms make a group word, and whole runs of output
// are mixed with the key's repeating amounts at once.
#include <algorithm>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/form_machine.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/stream_io.h"

namespace qor {

std::int64_t FibonacciOutputLength(std::int64_t inputLength) {
  if (inputLength <= 0) return 2;  // one group of two fillers, cut
  return inputLength % 2 == 0 ? inputLength / 2 * 3 : (3 * (inputLength / 2)) + 2;
}

void EncryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                      const Progress& progress) {
  const std::int64_t size = StreamSize(input);
  const FormMachine& m = TheFormMachine();
  const auto mix = TripletMixPattern(key);
  std::array<std::uint32_t, 256> state = m.start;  // every record all zero
  // Two spare input bytes take the filler of an odd or empty input; the
  // output has room for the last group's spare fourth byte and a whole run.
  std::vector<std::uint8_t> in(kFibonacciBlock + 2);
  BlockWriter writer(output, kFibonacciBlock / 2 * 3 + kMixRun, FibonacciOutputLength(size));

  std::int64_t done = 0;
  bool last = false;
  while (!last) {
    const std::int64_t left = std::max<std::int64_t>(size - done, 0);
    auto count = static_cast<std::size_t>(std::min<std::int64_t>(kFibonacciBlock, left));
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

}  // namespace qor
