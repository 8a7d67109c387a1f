#include "cipher/fibonacci/forms.h"

#include <algorithm>

namespace qor {

namespace {

using Digits = FibonacciDigits;

bool AllZero(const Digits& d) {
  return std::all_of(d.begin(), d.end(), [](std::int32_t x) { return x == 0; });
}

// The smallest j with j + 2 <= top, d[j] = d[j+1] = 0 and d[j+2] = 1; -1 if none.
int LowestSplit(const Digits& d, int top) {
  for (int j = 0; j + 2 <= top; ++j)
    if (d[j] == 0 && d[j + 1] == 0 && d[j + 2] == 1) return j;
  return -1;
}

// w(j) + w(j+1) = w(j+2): the value stays the same.
void Split(Digits& d, int j) {
  d[j] = 1;
  d[j + 1] = 1;
  d[j + 2] = 0;
}

// Greedy from the highest digit whose weight is below v, digit 1 tried
// before digit 0.
void WriteCanonical(Digits& d, std::int32_t v, const FibonacciBasis& w) {
  int m = 11;
  while (w[m] >= v) --m;
  d.fill(0);
  d[m] = 1;
  std::int32_t total = w[m];
  for (int j = m - 1; j >= 0 && total != v; --j) {
    if (total + w[j] <= v) {
      d[j] = 1;
      total += w[j];
    }
  }
}

void NextGeneral(std::int32_t v, const FibonacciBasis& w, Digits& d, bool fromRuleTwo) {
  if (!fromRuleTwo && AllZero(d)) {
    WriteCanonical(d, v, w);
    return;
  }
  if (d[0] == 0 && d[1] == 1) {
    d[0] = 1;
    d[1] = 0;
    return;
  }
  if (v == 4 && d[0] == 1 && d[1] == 0) {
    d[0] = 1, d[1] = 1, d[2] = 1, d[3] = 0;
    return;
  }
  if (d[0] == 1 && d[1] == 0) {
    d[0] = 0;
    d[1] = 1;
    // goes on with the split below
  }
  const int j = LowestSplit(d, 11);
  if (j >= 0)
    Split(d, j);
  else
    WriteCanonical(d, v, w);
}

void NextWeight(std::int32_t v, int i, const FibonacciBasis& w, Digits& d) {
  if (AllZero(d)) {
    d[i] = 1;
  } else if (d[0] == 0 && d[1] == 1) {
    d[0] = 1;
    d[1] = 0;
  } else if (d[i] == 1) {
    d[i] = 0;
    d[i - 1] = 1;
    d[i - 2] = 1;
  } else if (d[i - 3] == 1) {
    const int j = LowestSplit(d, i);
    if (j >= 0) {
      Split(d, j);
    } else {
      d.fill(0);
      d[i] = 1;
    }
  } else if (d[i - 1] == 1 && d[i - 2] == 1) {
    d[i - 2] = 0;
    std::int32_t total = w[i - 1];
    for (int j = i - 3; j >= 0; --j) {
      if (total + w[j] <= v) {
        d[j] = 1;
        total += w[j];
      }
    }
  } else {
    NextGeneral(v, w, d, /*fromRuleTwo=*/true);
  }
}

// The digit whose weight is v, for the weight values 5..144; -1 otherwise.
int OwnDigit(std::int32_t v, const FibonacciBasis& w) {
  for (int i = 4; i < 12; ++i)
    if (w[i] == v) return i;
  return -1;
}

}  // namespace

void NextRepresentation(std::int32_t value, const FibonacciBasis& basis, RepresentationTable& table) {
  Digits& d = table[value];
  switch (value) {
    case 0:
      d[0] = 0;
      return;
    case 1:
      if (d[1] == 1) {
        d[0] = 1, d[1] = 0;
      } else {
        d[0] = 0, d[1] = 1;
      }
      return;
    case 2:
      if (d[2] == 1) {
        d[0] = 1, d[1] = 1, d[2] = 0;
      } else {
        d[0] = 0, d[1] = 0, d[2] = 1;
      }
      return;
    case 3:
      if (AllZero(d)) d[3] = 1;
      if (d[3] == 1) {
        d[0] = 0, d[1] = 1, d[2] = 1, d[3] = 0;
      } else if (d[2] == 1 && d[1] == 1) {
        d[0] = 1, d[1] = 0, d[2] = 1, d[3] = 0;
      } else if (d[2] == 1 && d[0] == 1) {
        d[0] = 0, d[1] = 0, d[2] = 0, d[3] = 1;
      }
      return;
    default:
      break;
  }
  const int own = OwnDigit(value, basis);
  if (own >= 0)
    NextWeight(value, own, basis, d);
  else
    NextGeneral(value, basis, d, /*fromRuleTwo=*/false);
}

std::uint16_t DigitsMask(const FibonacciDigits& digits) {
  std::uint16_t mask = 0;
  for (int i = 0; i < 12; ++i)
    if (digits[i]) mask = static_cast<std::uint16_t>(mask | (1u << i));
  return mask;
}

const RepresentationCycles& RepresentationCycles::Get() {
  static const RepresentationCycles cycles;
  return cycles;
}

RepresentationCycles::RepresentationCycles() {
  RepresentationTable table{};
  for (int v = 0; v < 256; ++v) {
    NextRepresentation(v, kFibonacciBasis, table);
    const FibonacciDigits first = table[v];
    std::vector<std::uint16_t>& cycle = cycles_[v];
    do {
      cycle.push_back(DigitsMask(table[v]));
      NextRepresentation(v, kFibonacciBasis, table);
    } while (table[v] != first && cycle.size() < 64);
  }
}

}  // namespace qor
