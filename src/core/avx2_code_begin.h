// Included before the code of an AVX2-only file, and avx2_code_end.h after
// it: the functions between are compiled for AVX2 (and nothing newer, so no
// multiply-add is fused), the rest of the library for the base processor.
// Such code runs only after the processor said it has AVX2. No include
// guard: a file opens and closes the switch once each.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
