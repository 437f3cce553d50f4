// SPDX-License-Identifier: GPL-3.0-or-later
// How the program takes memory from the system.
#pragma once

// Blocks of a mebibyte and more (curve data, response arrays, images) are
// mapped from the system and given back when freed. By default the C
// library raises that threshold after the first large block is freed and then
// keeps freed large blocks in its heap, so that each plot's transient arrays
// add to the memory the process holds for the rest of the run. Call once, at
// the start of the program, before other threads run.
void Program_Memory_Return_Large_Blocks();
