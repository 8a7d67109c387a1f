// Run-time library stream helpers shared by the methods.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

namespace qor {

// The input file's size in bytes, or -1 when it cannot be determined.
std::int64_t StreamSize(std::FILE* stream);

// Told how many input bytes have been taken out of how many, once per block.
// Optional everywhere; never affects the output.
using Progress = std::function<void(std::int64_t done, std::int64_t total)>;

// Reads exactly `count` bytes unless the stream ends or fails first; the
// bytes it could not read are set to 0xFF, the low 8 bits of EOF, which is
// what a byte-by-byte reader would have taken for them. Returns the number
// of bytes really read. Never asks for more than `count`, so the stream's
// end-of-file flag is set only when the file is shorter than expected.
std::size_t ReadBlock(std::FILE* stream, std::uint8_t* buffer, std::size_t count);

}  // namespace qor
