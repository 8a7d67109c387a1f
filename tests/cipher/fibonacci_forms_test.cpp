#include "cipher/fibonacci/forms.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "tests/cipher/reference.h"

namespace qor {
namespace {

using test::FormValue;
using Form = std::set<int>;

Form ToForm(const FibonacciDigits& d) {
  Form f;
  for (int i = 0; i < 12; ++i)
    if (d[i]) f.insert(i);
  return f;
}

Form MaskForm(std::uint16_t mask) {
  Form f;
  for (int i = 0; i < 12; ++i)
    if (mask & (1u << i)) f.insert(i);
  return f;
}

// The forms the rules give at the first `count` occurrences of v.
std::vector<Form> Occurrences(int v, int count) {
  RepresentationTable table{};
  std::vector<Form> forms;
  for (int k = 0; k < count; ++k) {
    NextRepresentation(v, kFibonacciBasis, table);
    for (int other = 0; other < 256; ++other) {
      EXPECT_TRUE(other == v || DigitsMask(table[other]) == 0) << "value " << v << " touched " << other;
    }
    forms.push_back(ToForm(table[v]));
  }
  return forms;
}

void ExpectCycle(int v, const std::vector<Form>& cycle) {
  const auto got = Occurrences(v, static_cast<int>(2 * cycle.size() + 1));
  for (std::size_t k = 0; k < got.size(); ++k)
    EXPECT_EQ(got[k], cycle[k % cycle.size()]) << "value " << v << " occurrence " << k + 1;
  EXPECT_EQ(RepresentationCycles::Get().Cycle(v).size(), cycle.size()) << "value " << v;
}

TEST(NextRepresentationTest, SmallValues) {
  ExpectCycle(0, {{}});
  ExpectCycle(1, {{1}, {0}});
  ExpectCycle(2, {{2}, {0, 1}});
  ExpectCycle(3, {{1, 2}, {0, 2}, {3}});
  ExpectCycle(4, {{1, 3}, {0, 3}, {0, 1, 2}});
  ExpectCycle(6, {{1, 4}, {0, 4}, {1, 2, 3}, {0, 2, 3}});
  ExpectCycle(7, {{2, 4}, {0, 1, 4}, {0, 1, 2, 3}});
  ExpectCycle(12, {{1, 3, 5}, {0, 3, 5}});
}

TEST(NextRepresentationTest, TellingGeneralValues) {
  ExpectCycle(100, {{3, 5, 10}, {1, 2, 5, 10}, {0, 2, 5, 10}, {1, 2, 3, 4, 10}, {0, 2, 3, 4, 10},
                    {1, 2, 3, 4, 8, 9}, {0, 2, 3, 4, 8, 9}, {1, 2, 3, 4, 6, 7, 9}, {0, 2, 3, 4, 6, 7, 9}});
  ExpectCycle(143, {{2, 4, 6, 8, 10}, {0, 1, 4, 6, 8, 10}, {0, 1, 2, 3, 6, 8, 10}, {0, 1, 2, 3, 4, 5, 8, 10},
                    {0, 1, 2, 3, 4, 5, 6, 7, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}});
  ExpectCycle(145, {{1, 11}, {0, 11}, {1, 9, 10}, {0, 9, 10}, {1, 7, 8, 10}, {0, 7, 8, 10}, {1, 5, 6, 8, 10},
                    {0, 5, 6, 8, 10}, {1, 3, 4, 6, 8, 10}, {0, 3, 4, 6, 8, 10}});
  ExpectCycle(200, {{1, 9, 11}, {0, 9, 11}, {1, 7, 8, 11}, {0, 7, 8, 11}, {1, 5, 6, 8, 11}, {0, 5, 6, 8, 11},
                    {1, 3, 4, 6, 8, 11}, {0, 3, 4, 6, 8, 11}, {1, 3, 4, 6, 8, 9, 10}, {0, 3, 4, 6, 8, 9, 10}});
  ExpectCycle(232, {{1, 3, 5, 7, 9, 11}, {0, 3, 5, 7, 9, 11}});
  ExpectCycle(233, {{10, 11}, {8, 9, 11}, {6, 7, 9, 11}, {4, 5, 7, 9, 11}, {2, 3, 5, 7, 9, 11},
                    {0, 1, 3, 5, 7, 9, 11}});
  ExpectCycle(255, {{1, 7, 10, 11}, {0, 7, 10, 11}, {1, 5, 6, 10, 11}, {0, 5, 6, 10, 11}, {1, 3, 4, 6, 10, 11},
                    {0, 3, 4, 6, 10, 11}, {1, 3, 4, 6, 8, 9, 11}, {0, 3, 4, 6, 8, 9, 11}});
}

TEST(NextRepresentationTest, WeightValues) {
  ExpectCycle(5, {{4}, {2, 3}, {0, 1, 3}});
  ExpectCycle(8, {{5}, {3, 4}, {1, 2, 4}, {0, 2, 4}});
  ExpectCycle(13, {{6}, {4, 5}, {2, 3, 5}, {0, 1, 3, 5}});
  ExpectCycle(21, {{7}, {5, 6}, {3, 4, 6}, {1, 2, 4, 6}, {0, 2, 4, 6}});
  ExpectCycle(34, {{8}, {6, 7}, {4, 5, 7}, {2, 3, 5, 7}, {0, 1, 3, 5, 7}});
  ExpectCycle(55, {{9}, {7, 8}, {5, 6, 8}, {3, 4, 6, 8}, {1, 2, 4, 6, 8}, {0, 2, 4, 6, 8}});
  ExpectCycle(89, {{10}, {8, 9}, {6, 7, 9}, {4, 5, 7, 9}, {2, 3, 5, 7, 9}, {0, 1, 3, 5, 7, 9}});
  ExpectCycle(144, {{11}, {9, 10}, {7, 8, 10}, {5, 6, 8, 10}, {3, 4, 6, 8, 10}, {1, 2, 4, 6, 8, 10},
                    {0, 2, 4, 6, 8, 10}});
}

TEST(NextRepresentationTest, RecordsAreIndependent) {
  RepresentationTable table{};
  for (int k = 0; k < 4; ++k) NextRepresentation(8, kFibonacciBasis, table);
  EXPECT_EQ(ToForm(table[8]), (Form{0, 2, 4}));
  const std::vector<Form> sevens = {{2, 4}, {0, 1, 4}, {0, 1, 2, 3}, {2, 4}};
  for (const Form& expected : sevens) {
    NextRepresentation(7, kFibonacciBasis, table);
    EXPECT_EQ(ToForm(table[7]), expected);
  }
  EXPECT_EQ(ToForm(table[8]), (Form{0, 2, 4}));
}

TEST(NextRepresentationTest, CanonicalFirstForms) {
  const std::map<int, Form> first = {{4, {1, 3}}, {7, {2, 4}}, {100, {3, 5, 10}}, {145, {1, 11}},
                                     {233, {10, 11}}, {255, {1, 7, 10, 11}}};
  for (const auto& [v, form] : first) EXPECT_EQ(Occurrences(v, 1)[0], form) << v;
  // No first form of a general value has digit 0 set; none up to 232 has neighbours.
  for (int v = 4; v < 256; ++v) {
    const std::uint16_t mask = RepresentationCycles::Get().Cycle(v)[0];
    EXPECT_FALSE(mask & 1) << v;
    if (v <= 232) {
      EXPECT_EQ(mask & (mask >> 1), 0) << v;
    }
  }
}

TEST(RepresentationCyclesTest, EveryFormSumsToItsValueAndMoves) {
  const auto& cycles = RepresentationCycles::Get();
  for (int v = 0; v < 256; ++v) {
    const auto& cycle = cycles.Cycle(v);
    std::set<std::uint16_t> distinct(cycle.begin(), cycle.end());
    EXPECT_EQ(distinct.size(), cycle.size()) << "value " << v << " repeats a form inside its cycle";
    for (std::uint16_t mask : cycle) {
      int sum = 0;
      for (int i = 0; i < 12; ++i)
        if (mask & (1u << i)) sum += kFibonacciBasis[i];
      EXPECT_EQ(sum, v);
    }
  }
}

TEST(RepresentationCyclesTest, CycleLengthCounts) {
  std::map<std::size_t, std::vector<int>> byLength;
  for (int v = 0; v < 256; ++v) byLength[RepresentationCycles::Get().Cycle(v).size()].push_back(v);
  const std::map<std::size_t, std::size_t> counts = {{1, 1},  {2, 6},  {3, 5},  {4, 18}, {5, 31}, {6, 77},
                                                     {7, 10}, {8, 42}, {9, 22}, {10, 36}, {11, 8}};
  for (const auto& [length, count] : counts) EXPECT_EQ(byLength[length].size(), count) << "length " << length;
  EXPECT_EQ(byLength[2], (std::vector<int>{1, 2, 12, 33, 88, 232}));
  EXPECT_EQ(byLength[3], (std::vector<int>{3, 4, 5, 7, 10}));
  EXPECT_EQ(byLength[7], (std::vector<int>{24, 32, 37, 45, 50, 71, 76, 110, 144, 254}));
  EXPECT_EQ(byLength[11], (std::vector<int>{147, 155, 168, 176, 202, 210, 223, 231}));
}

TEST(RepresentationCyclesTest, DerivedCyclesEqualTheRulesAtEveryStep) {
  const auto& cycles = RepresentationCycles::Get();
  RepresentationTable table{};
  // Interleave all values so that any cross-talk between records would show.
  for (int round = 0; round < 25; ++round) {
    for (int v = 0; v < 256; ++v) {
      NextRepresentation(v, kFibonacciBasis, table);
      const auto& cycle = cycles.Cycle(v);
      ASSERT_EQ(MaskForm(DigitsMask(table[v])), MaskForm(cycle[round % cycle.size()]))
          << "value " << v << " occurrence " << round + 1;
    }
  }
}

TEST(FormValueTest, SumsWeights) {
  FibonacciDigits d{};
  d[0] = d[1] = d[11] = 1;
  EXPECT_EQ(FormValue(d), 146);
  EXPECT_EQ(FormValue(FibonacciDigits{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}), 376);
}

}  // namespace
}  // namespace qor
