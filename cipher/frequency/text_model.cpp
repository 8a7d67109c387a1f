#include "cipher/frequency/text_model.h"

#include <cstring>

namespace qor {

const TextModel& TextModel::Shared() {
  static const TextModel model;
  return model;
}

TextModel::TextModel() {
  for (int b = 0; b < 256; ++b) {
    const auto c = static_cast<std::uint8_t>(b);
    classOf_[c] = ClassOf(c);
    costAlone_[c] = CostAlone(c);
  }
}

std::uint8_t TextModel::ClassOf(std::uint8_t b) {
  if ((b >= 'a' && b <= 'z') || b == 0xF1) return kLower;
  if ((b >= 'A' && b <= 'Z') || b == 0xD1) return kUpper;
  if (b >= '0' && b <= '9') return kDigit;
  if (b == ' ') return kSpace;
  if (b == ',' || b == '.' || b == ';' || b == ':' || b == '?' || b == '!' || b == ')' || b == '"') return kClosingMark;
  if (b == '\n' || b == '\r' || b == '\t') return kLine;
  if (b < 0x20) return kControl;
  return kOtherMark;
}

// The cost of a character whatever comes before it.
std::uint8_t TextModel::CostAlone(std::uint8_t b) {
  static constexpr const char* kRareLetters = "bfghjkqvwxyz";
  if (b == ' ' || (b >= 'a' && b <= 'z' && !std::strchr(kRareLetters, b))) return 0;
  if ((b >= 'a' && b <= 'z') || b == ',' || b == '.' || b == '\n' || b == '\r') return 1;
  if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '?' || b == '!') return 2;
  if (b == 0xF1 || b == 0xD1 || b == '\t' || b == ';' || b == ':' || b == '(' || b == ')' || b == '"' || b == '\'' ||
      b == '-')
    return 3;
  if (b < 0x20) return 9;
  return 5;
}

}  // namespace qor
