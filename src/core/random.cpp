#include "core/random.h"

#include "core/guard.h"
#include "core/runtime.h"

namespace mve {

void crt_srand(std::uint32_t seed) noexcept
{
    runtime().crt.seed(seed);
}
int crt_rand() noexcept
{
    return runtime().crt.next();
}

bool fill_random_table(RandomByteTable& table, int modulus, int length, std::uint32_t seed) noexcept
{
    if (table.data && table.length == length && table.modulus == modulus && table.seed == seed)
        return true;
    return guarded("MakeRandArrayByte Excpt", false, [&] {
        free_random_table(table);
        require(modulus > 0 && length >= 0);
        crt_srand(seed);
        require(table.data.allocate(static_cast<std::size_t>(length)));
        std::uint8_t* bytes = table.data.data();
        for (int i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(crt_rand() % modulus);
        table.length = length;
        table.modulus = modulus;
        table.seed = seed;
        return true;
    });
}

void free_random_table(RandomByteTable& table) noexcept
{
    guarded("DeleteRandArrayBtye Excpt", [&] {
        table.data.reset();
        table.length = 0;
        table.modulus = 0;
        table.seed = 0;
    });
}

void fill_tool_tables(RandomTables& tables) noexcept
{
    fill_random_table(tables.toolA, 255, kToolTableLength, tables.seed);
    fill_random_table(tables.toolB, 254, kToolTableLength, tables.seed);
}

}  // namespace mve
