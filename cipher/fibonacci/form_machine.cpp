#include "cipher/fibonacci/form_machine.h"

#include "cipher/fibonacci/forms.h"
#include "cipher/fibonacci/group_layout.h"

namespace qor {

FormMachine::FormMachine() {
  for (std::uint32_t half = 0; half < 4096; ++half) {
    std::int32_t firstSum = 0, secondSum = 0;
    for (int i = 0; i < 12; ++i) {
      if (half & (1u << (11 - i))) firstSum += kFibonacciBasis[i];
      if (half & (1u << i)) secondSum += kFibonacciBasis[i];
    }
    // The byte that HalfTurn turns into the sum.
    firstByte[half] = static_cast<std::uint8_t>(firstSum > 255 ? 0 : firstSum ^ 0x80);
    secondByte[half] = static_cast<std::uint8_t>(secondSum > 255 ? 0 : secondSum ^ 0x80);
  }
  const RepresentationCycles& cycles = RepresentationCycles::Get();
  for (int v = 0; v < 256; ++v) {
    const auto& cycle = cycles.Cycle(v);
    std::int32_t byte = v;
    HalfTurn(byte);  // the input byte that turns into v
    start[byte] = static_cast<std::uint32_t>(states.next.size());
    length[byte] = static_cast<std::uint32_t>(cycle.size());
    for (std::size_t k = 0; k < cycle.size(); ++k) {
      const auto next = static_cast<std::uint32_t>(k + 1 < cycle.size() ? states.next.size() + 1 : start[byte]);
      states.first.push_back(GroupWord(FirstFormBits(cycle[k])));
      states.second.push_back(GroupWord(SecondFormBits(cycle[k])));
      states.next.push_back(next);
      halves.push_back({static_cast<std::uint16_t>(FirstFormBits(cycle[k]) >> 12),
                        static_cast<std::uint16_t>(SecondFormBits(cycle[k])), static_cast<std::uint16_t>(next)});
    }
  }
}

const FormMachine& TheFormMachine() {
  static const FormMachine machine;
  return machine;
}

}  // namespace qor
