#include "cipher/fibonacci/form_machine.h"

#include "cipher/fibonacci/forms.h"
#include "cipher/fibonacci/group_layout.h"

namespace qor {

FormMachine::FormMachine() {
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
    length[byte] = static_cast<std::uint32_t>(cycle.size());
    for (std::size_t k = 0; k < cycle.size(); ++k) {
      const auto next = static_cast<std::uint32_t>(k + 1 < cycle.size() ? states.size() + 1 : start[byte]);
      states.push_back({GroupWord(FirstFormBits(cycle[k])), GroupWord(SecondFormBits(cycle[k])), next});
    }
  }
}

const FormMachine& TheFormMachine() {
  static const FormMachine machine;
  return machine;
}

}  // namespace qor
