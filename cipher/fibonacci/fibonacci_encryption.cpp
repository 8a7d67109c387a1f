// EncryptFibonacci as a block loop: each byte steps its value's state in
// the form machine, two forms make a group word, and whole runs of output
// are mixed with the key's repeating amounts at once, the blocks worked out
// on the pipeline's workers.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "cipher/block_pipeline.h"
#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/form_machine.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

using States = ByteStates;

// Encrypts `count` input bytes (even, starting at a whole run) into
// count / 2 groups at out. Each group is stored with a fourth byte that the
// next one overwrites, and the mixing may go on up to a whole run past the
// groups: the buffer has room for both.
void EncryptBlock(const std::uint8_t* in, std::size_t count, std::uint8_t* out, States& state,
                  const std::array<std::uint8_t, kMixRun>& mix) {
  // Plain pointers and locals: a byte store may alias anything, which
  // would make the compiler reload each of them after every group.
  const FormStates& states = TheFormMachine().states;
  const std::uint32_t* const first = states.first.data();
  const std::uint32_t* const second = states.second.data();
  const std::uint32_t* const next = states.next.data();
  std::uint32_t* const current = state.data();
  EachGroup(count / 2, [&](std::size_t g) {
    const std::uint8_t* const p = in + 2 * g;
    const std::uint32_t a = current[p[0]];
    current[p[0]] = next[a];
    const std::uint32_t b = current[p[1]];
    current[p[1]] = next[b];
    StoreGroup(out + 3 * g, first[a] | second[b]);
    return true;
  });
  const std::size_t outCount = count / 2 * 3;
  for (std::size_t run = 0; run < outCount; run += kMixRun) MixRun(out + run, mix);
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
  const std::int64_t total = std::max<std::int64_t>(size, 0);
  const auto mix = TripletMixPattern(key);
  std::int64_t read = 0, delivered = 0;
  BlockStages stages;
  stages.read = [&](Block& block) {
    ReadNext(input, plan.block, total, read, block);  // the group that reaches the size is the last
    std::size_t count = block.count;
    block.written = count / 2 * 3;
    if (block.last && (count % 2 == 1 || size <= 0)) {
      // The cut last group: the real byte if any, then fillers (0).
      block.in[count] = 0;
      if (size <= 0) block.in[count + 1] = 0;
      count += count % 2 == 1 ? 1 : 2;
      block.written += 2;
    }
    block.count = count;
  };
  // The states move on by how often each byte occurs, as EncryptBlock moves them.
  stages.count = [](Block& block) { block.counts = CountBytes(block.in, block.count); };
  stages.advance = [](States& running, const Block& block) { TheFormMachine().Advance(running, block.counts); };
  stages.work = [&](Block& block) { EncryptBlock(block.in, block.count, block.out, block.state, mix); };
  stages.deliver = [&](const Block& block) {
    std::fwrite(block.out, 1, block.written, output);
    delivered = std::min(delivered + static_cast<std::int64_t>(block.count), total);  // less the fillers
    return GoOn(progress, delivered, size);
  };
  // Two spare input bytes take the filler of an odd or empty input; the
  // output has room for a whole run of mixing past the last group (and for
  // that group's fourth byte).
  RunBlocks(plan, plan.block + 2, plan.block / 2 * 3 + kMixRun, total, TheFormMachine().start, stages);
}

}  // namespace qor
