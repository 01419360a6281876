// Deflate.h -- zlib-wrapped deflate for the picture generator's PNG files: LZ77 matches and dynamic
// Huffman codes, standard library only, the same bytes on every machine.
#pragma once

#include <cstdint>
#include <vector>

// The zlib stream (header, deflate blocks, Adler-32) of `data`.
std::vector<uint8_t> zlibCompress(const std::vector<uint8_t>& data);
