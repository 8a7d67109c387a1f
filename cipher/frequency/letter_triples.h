// How likely a letter is after the two before it, within words.
#pragma once

namespace qor {

// About in bits, 0 to 15: letters 0..25 (a..z, case and accents aside),
// 26 a word's edge; at a word's start both before are 26.
int LetterTripleCost(int first, int second, int third);

}  // namespace qor
