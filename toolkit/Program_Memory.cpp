// SPDX-License-Identifier: GPL-3.0-or-later
#include "Program_Memory.h"

#include <malloc.h>

namespace {
constexpr int Large_Block_Bytes = 1 << 20;
}

void Program_Memory_Return_Large_Blocks() {
#ifdef M_MMAP_THRESHOLD
    // Setting the threshold also turns off its automatic raising.
    mallopt(M_MMAP_THRESHOLD, Large_Block_Bytes);
#endif
}
