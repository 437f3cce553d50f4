// Sine and cosine evaluated in blocks.
//
// The dense grid reaches about 130 000 points and a response sum about 8 000
// terms per frequency, so the engine evaluates its sines and cosines in blocks
// of up to KALTAP_Trig_Block elements with a vectorised kernel. The block
// routines and the scalar routines run the same kernel with the same
// operations in the same order, so a block gives exactly the element-wise
// results of KALTAP_Cos / KALTAP_Sin. Accuracy: within about one unit in the
// last place for |x| up to 1e6 radians (the arguments here stay below 6e4).
#pragma once

constexpr int KALTAP_Trig_Block = 1000;

double KALTAP_Cos(double x);
double KALTAP_Sin(double x);

// y(i) = cos(x(i)) / sin(x(i)) for i = 0..n-1 (zero-based pointers, any n >= 0).
void KALTAP_Cos_Block(const double* x, double* y, int n);
void KALTAP_Sin_Block(const double* x, double* y, int n);

// y(i) = cos((i + offset) * step) / sin(...) for i = first..first+n-1: the
// argument is formed as (i + offset) * step, the product of two doubles.
void KALTAP_Cos_Ramp(int first, double offset, double step, double* y, int n);
void KALTAP_Sin_Ramp(int first, double offset, double step, double* y, int n);

// Sum of c(i) * w(i), i = 0..n-1, accumulated in four interleaved partial sums
// (i mod 4) that are added at the end as ((s0 + s1) + (s2 + s3)). The order is
// fixed, so the result does not depend on the instruction set or on threads.
double KALTAP_Dot(const double* c, const double* w, int n);
