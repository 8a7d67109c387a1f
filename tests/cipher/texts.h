// Made-up text for the frequency method's round trips.
#pragma once

#include <random>

#include "tests/cipher/streams.h"

namespace qor::test {

enum class TextEncoding { kWindows1252, kUtf8 };

// Spanish prose of about `size` bytes: words with accents, ñ, ¿ ¡, commas,
// full stops and Windows line ends.
Bytes SpanishText(std::mt19937& rng, std::size_t size, TextEncoding encoding);

// Text of exactly `size` bytes drawn only from the characters the frequency
// method codes, frequent letters and spaces weighted up.
Bytes CodedText(std::mt19937& rng, std::size_t size);

// The input without the bytes the frequency method drops.
Bytes WithoutDropped(const Bytes& input);

}  // namespace qor::test
