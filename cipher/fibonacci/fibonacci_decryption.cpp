// DecryptFibonacci as a block loop: whole runs unmixed at once, each
// group's two halves read back to the bytes they add up to (which needs no
// state, so it goes with the count), then those bytes encrypted again
// through the form machine and checked against the group, the blocks
// worked out on the pipeline's workers.
#include <algorithm>
#include <cstdio>

#include "cipher/block_pipeline.h"
#include "cipher/fibonacci/fibonacci.h"
#include "cipher/fibonacci/form_machine.h"
#include "cipher/fibonacci/group_layout.h"
#include "cipher/stream_io.h"

namespace qor {

namespace {

using States = ByteStates;

// Unmixes `count` bytes that start at a whole run.
void UnmixBlock(std::uint8_t* in, std::size_t count, const std::array<std::uint8_t, kMixRun>& mix) {
  std::size_t run = 0;
  for (; run + kMixRun <= count; run += kMixRun) UnmixRun(in + run, mix);
  for (std::size_t i = run; i < count; ++i) in[i] = static_cast<std::uint8_t>(in[i] - mix[i - run]);
}

// Checks one half of a group against the current form of the byte it adds
// up to and steps that byte on; false when it is not that form.
// `form` picks the half of a state (FormHalves::first or ::second).
inline bool TakeForm(const FormHalves* halves, std::uint32_t half, const std::uint8_t* byteOf,
                     std::uint16_t FormHalves::*form, std::uint32_t* state, std::uint8_t*& o) {
  const std::uint8_t byte = byteOf[half];
  const FormHalves& expected = halves[state[byte]];
  if (expected.*form != half) return false;
  state[byte] = expected.next;
  *o++ = byte;
  return true;
}

// Checks the unmixed whole groups of `count` bytes against the bytes they
// were read back to at out: each pair, encrypted from `state`, must give
// the group again. Returns how many groups checked, stopping at the first
// that does not. As the halves' own checks, one after the other: the two
// forms take disjoint bits.
std::size_t CheckBlock(const std::uint8_t* in, std::size_t count, const std::uint8_t* out, States& state) {
  // Plain pointers: a byte store may alias anything.
  const FormStates& states = TheFormMachine().states;
  const std::uint32_t* const first = states.first.data();
  const std::uint32_t* const second = states.second.data();
  const std::uint32_t* const next = states.next.data();
  std::uint32_t* const current = state.data();
  return EachGroup(count / 3, [&](std::size_t g) {
    const std::uint8_t* const pair = out + 2 * g;
    const std::uint32_t a = current[pair[0]];
    current[pair[0]] = next[a];
    const std::uint32_t b = current[pair[1]];
    current[pair[1]] = next[b];
    return (first[a] | second[b]) == LoadGroupWord(in + 3 * g);
  });
}

// Reads the unmixed whole groups of `count` bytes back to the bytes their
// halves add up to, two a group at out, and counts how often each occurs:
// as CheckBlock would move the states if every group checked (if one does
// not, the run ends there and the blocks after it are never delivered).
ByteStates ReadBackBlock(const std::uint8_t* in, std::size_t count, std::uint8_t* out) {
  const FormMachine& m = TheFormMachine();
  const std::uint8_t* const firstByte = m.firstByte.data();
  const std::uint8_t* const secondByte = m.secondByte.data();
  // Two tables, one for each half, so that a byte in both halves does not
  // wait on its own count.
  std::array<ByteStates, 2> part{};
  EachGroup(count / 3, [&](std::size_t g) {
    const std::uint32_t bits = LoadGroupBits(in + 3 * g);
    const std::uint8_t x = firstByte[bits >> 12], y = secondByte[bits & 0xFFFu];
    out[2 * g] = x;
    out[2 * g + 1] = y;
    ++part[0][x];
    ++part[1][y];
    return true;
  });
  ByteStates occurrences;
  for (int b = 0; b < 256; ++b) occurrences[b] = part[0][b] + part[1][b];
  return occurrences;
}

}  // namespace

FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress) {
  return DecryptFibonacci(input, output, key, progress, BlockPlan{});
}

FibonacciDecryptResult DecryptFibonacci(std::FILE* input, std::FILE* output, const CipherKey& key,
                                        const Progress& progress, const BlockPlan& plan) {
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
  std::int64_t read = 0, delivered = 0;
  BlockStages stages;
  stages.read = [&](Block& block) { ReadNext(input, plan.block, size, read, block); };
  stages.count = [&](Block& block) {
    UnmixBlock(block.in, block.count, mix);
    block.counts = ReadBackBlock(block.in, block.count / 3 * 3, block.out);
  };
  stages.advance = [&m](States& running, const Block& block) { m.Advance(running, block.counts); };
  stages.work = [&](Block& block) {
    const std::size_t whole = block.count / 3 * 3;
    const std::size_t checked = CheckBlock(block.in, whole, block.out, block.state);
    block.written = 2 * checked;
    block.refused = checked < whole / 3;
    block.refusedAt = 3 * checked;
    if (block.refused || whole == block.count) return;
    // The cut last group: a whole first form, then the filler (input byte
    // 0) of which only digits 11..8 were kept.
    std::uint8_t* o = block.out + block.written;
    const std::uint32_t bits = (std::uint32_t{block.in[whole]} << 16) | (std::uint32_t{block.in[whole + 1]} << 8);
    const bool firstChecks =
        TakeForm(m.halves.data(), bits >> 12, m.firstByte.data(), &FormHalves::first, block.state.data(), o);
    block.refused = !firstChecks || (m.halves[block.state[0]].second & 0xF00u) != (bits & 0xF00u);
    block.refusedAt = whole;
    block.written += firstChecks && !block.refused ? 1 : 0;
  };
  stages.deliver = [&](const Block& block) {
    std::fwrite(block.out, 1, block.written, output);
    if (block.refused) {
      reject(delivered + static_cast<std::int64_t>(block.refusedAt));
      return false;
    }
    result.couldBeEmpty = size == 2 && block.out[0] == 0x00;
    delivered += static_cast<std::int64_t>(block.count);
    if (GoOn(progress, delivered, size)) return true;
    result.status = DecryptStatus::kStopped;
    return false;
  };
  // A spare input byte for the last group's word.
  RunBlocks(plan, plan.block + 1, plan.block / 3 * 2, size, m.start, stages);
  return result;
}

}  // namespace qor
