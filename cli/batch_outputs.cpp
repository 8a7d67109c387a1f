#include "cli/batch_outputs.h"

#include <filesystem>

#include "job/file_names.h"
#include "job/file_run.h"

namespace qor::cli {

std::vector<int> OutputsOverOtherInputs(const std::vector<std::string>& inputs,
                                        const std::vector<std::string>& outputs) {
  std::vector<int> found(outputs.size(), -1);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].empty()) continue;
    const std::filesystem::path output = PathOf(outputs[i]).lexically_normal();
    for (std::size_t j = 0; j < inputs.size() && found[i] < 0; ++j) {
      // An input as the very file's own output is the file run's refusal.
      if (j == i) continue;
      if (PathOf(inputs[j]).lexically_normal() == output || IsSameFile(outputs[i], inputs[j]))
        found[i] = static_cast<int>(j);
    }
  }
  return found;
}

}  // namespace qor::cli
