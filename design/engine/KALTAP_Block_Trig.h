// SPDX-License-Identifier: GPL-3.0-or-later
// Sine and cosine evaluated in blocks.
//
// Two families, each with a scalar routine and block routines that give
// exactly its element-wise results:
//
// - KALTAP_Cos_Block / KALTAP_Sin_Block: the C library's cos and sin. The
//   exchange works on these (grid cosines, the case conversion): the last bits
//   of the grid cosines decide ties in the exchange and the point where the
//   levelled deviation stops growing, so they are the library's own values.
//   Grids hold at most about 130 000 points, which costs little.
//
// - KALTAP_Fast_Cos / KALTAP_Fast_Sin and their ramps: a vectorised kernel
//   for the long sums of the cosine series and the frequency response, which
//   take up to n^2 and N*density*N/2 terms. Four lanes, with fused
//   multiply-adds: the processor's (AVX2 and FMA) where it has them, the C
//   library's fma otherwise, which round alike. Vector and scalar runs do the
//   same operations in the same order, so a block equals the element-wise
//   results of KALTAP_Fast_Cos / KALTAP_Fast_Sin bit for bit, on any machine.
//   Accuracy within two units in the last place for |x| up to 1e6 radians
//   (arguments here stay below 6e4).
#pragma once

constexpr int KALTAP_Trig_Block = 1000;

// y[i] = std::cos(x[i]) / std::sin(x[i]), i = 0..n-1.
void KALTAP_Cos_Block(const double* x, double* y, int n);
void KALTAP_Sin_Block(const double* x, double* y, int n);

double KALTAP_Fast_Cos(double x);
double KALTAP_Fast_Sin(double x);

// The same kernel run with the C library's fma instead of the processor's:
// the fallback of processors without AVX2 and FMA. It gives the same bits.
double KALTAP_Fast_Trig_Portable(double x, bool cosine);

// y[i] = KALTAP_Fast_Cos((first + i + offset) * step) (the argument is the
// product of the two doubles first+i+offset and step), i = 0..n-1.
void KALTAP_Fast_Cos_Ramp(int first, double offset, double step, double* y, int n);
void KALTAP_Fast_Sin_Ramp(int first, double offset, double step, double* y, int n);

// Trigonometric sums with weights:
//   start + sum_{i=1..m} T((i + offset) * step) * weights[i-1],  T = cos or sin.
// The terms are taken in blocks of 16 consecutive i: the kernel gives cos and
// sin of every eighth block's first argument (a rotation through 16 step
// carries them to the blocks in between), and the angle-addition formulas
// carry them along the block with cos(k step) and sin(k step), k = 0..15,
// obtained by rotation from the kernel's cos and sin of step. That costs about two
// multiply-adds per term instead of a kernel call, and keeps each term within
// a few tens of units in the last place (relative to the weight) of the
// kernel's own value. Blocks are added in increasing i.
// KALTAP_Fast_Trig_Sum gives one sum; KALTAP_Fast_Trig_Sums gives up to
// KALTAP_Sums_At_Once of them for different steps at once (vectorised across
// the steps), each equal bit for bit to the single sum with its step.
constexpr int KALTAP_Sums_At_Once = 8;
double KALTAP_Fast_Trig_Sum(double step, int m, double offset, const double* weights, double start, bool cosine);
void KALTAP_Fast_Trig_Sums(const double* steps, int count, int m, double offset, const double* weights, double start,
                           bool cosine, double* sums);
