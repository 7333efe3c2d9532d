// The engine's pseudo-random generator and seeded byte tables.
//
// Every random choice of the engine uses this generator, never the C library's
// rand(): the tables must come out the same on every run and platform. It is
// the classic C-runtime linear congruential generator:
//   state = state * 214013 + 2531011 (mod 2^32), result = bits 16..30 of state.
#pragma once

#include <cstdint>

#include "core/memory.h"

namespace mve {

class CrtRandom {
public:
    void seed(std::uint32_t s) noexcept { state_ = s; }
    int next() noexcept  // 0..32767
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_ = 1;
};

// The process-wide generator (the engine's srand/rand pair).
void crt_srand(std::uint32_t seed) noexcept;
int crt_rand() noexcept;

// A table of `length` bytes, byte i = (i-th generator value) % modulus,
// generated from one seed.
struct RandomByteTable {
    Plane8 data;
    int modulus = 0;
    std::uint32_t seed = 0;
    int length = 0;
};

// Refills the table unless it already holds `length` bytes of this modulus
// made from `seed`. On failure records "MakeRandArrayByte Excpt" and leaves
// length, modulus and seed unrecorded; returns false.
bool fill_random_table(RandomByteTable& table, int modulus, int length, std::uint32_t seed) noexcept;
void free_random_table(RandomByteTable& table) noexcept;

struct RandomTables {
    RandomByteTable toolA;           // modulus 255, 1,000,000 bytes: tool set-up
    RandomByteTable toolB;           // modulus 254, 1,000,000 bytes: tool set-up
    RandomByteTable colourVariation; // modulus 1000, max brush size * 3
    RandomByteTable lumVariation;    // modulus 256, max brush size * 3
    int colourVaryAmount = 0;
    int lumVaryAmount = 0;
    std::uint32_t seed = 0;          // the random seed (MVE_SetRandomSeed)
};

constexpr int kToolTableLength = 1000000;

// Fills tool tables A and B from the current seed (canvas creation).
void fill_tool_tables(RandomTables& tables) noexcept;

}  // namespace mve
