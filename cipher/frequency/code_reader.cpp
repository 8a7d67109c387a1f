#include "cipher/frequency/code_reader.h"

#include "cipher/frequency/code_table.h"

namespace qor {

const CodeReader& CodeReader::Shared() {
  static const CodeReader reader;
  return reader;
}

CodeReader::CodeReader() {
  int packed = 0;
  counterOf_.fill(-1);
  for (int b = 0; b < 256; ++b) {
    const FrequencyCode& c = FrequencyCodeTable[static_cast<std::size_t>(b)];
    if (c.Dropped()) continue;
    const int counter = c.cycle > 1 ? packed++ : -1;
    counterOf_[static_cast<std::size_t>(b)] = static_cast<std::int8_t>(counter);
    cycleOf_[static_cast<std::size_t>(b)] = c.cycle;
    for (int k = 0; k < c.cycle; ++k) {
      CodeMeaning& m = meaning_[static_cast<std::size_t>(c.first + k)];
      if (m.valid) continue;  // code 14: the fourth E is entered first, F is the fallback
      m = {static_cast<std::uint8_t>(b), static_cast<std::int8_t>(counter), static_cast<std::uint8_t>(k),
           c.cycle, true};
    }
  }
  meaning_[kFourthEOrF].byte = kFourthEMark;
  counterOf_[kFourthEMark] = counterOf_['E'];
  cycleOf_[kFourthEMark] = cycleOf_['E'];
  for (int code = 0; code < 256; ++code) {
    const CodeMeaning& m = meaning_[static_cast<std::size_t>(code)];
    std::uint32_t& w = readWord_[static_cast<std::size_t>(code)];
    if (m.counter >= 0)
      w = m.byte | static_cast<std::uint32_t>(m.counter) << 8 | std::uint32_t{m.expect} << 16 |
          std::uint32_t{m.CounterAfter()} << 24;
    else
      w = m.valid ? m.byte | kCounterOfFixedCodes << 8 : kCounterOfUnusedCodes << 8 | 1u << 16;
  }
}

void CodeReader::Unread(std::uint8_t byte, PackedCounters& counters) const {
  const int k = counterOf_[byte];
  if (k < 0) return;
  std::uint8_t& c = counters[static_cast<std::size_t>(k)];
  c = static_cast<std::uint8_t>(c == 0 ? cycleOf_[byte] - 1 : c - 1);
}

bool CodeReader::Resync(std::uint8_t code, PackedCounters& counters, std::uint8_t& byte) const {
  const CodeMeaning& m = meaning_[code];
  if (m.counter < 0) return false;
  counters[static_cast<std::size_t>(m.counter)] = m.CounterAfter();
  byte = m.byte;
  return true;
}

}  // namespace qor
