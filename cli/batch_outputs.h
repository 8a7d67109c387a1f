// A batch's outputs against its inputs: no file of a command is written over
// another file that the same command reads, wherever it stands in the list.
#pragma once

#include <string>
#include <vector>

namespace qor::cli {

// For each i, the index of an input other than i that outputs[i] would
// write over (the same name, or a link to the same file), or -1. Decided
// before anything is written.
std::vector<int> OutputsOverOtherInputs(const std::vector<std::string>& inputs,
                                        const std::vector<std::string>& outputs);

}  // namespace qor::cli
