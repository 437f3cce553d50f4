// SPDX-License-Identifier: GPL-3.0-or-later
// One-based arrays of the design program.
//
// Array1<T> holds `extent` elements addressed a(1) .. a(extent), so loops read
// like the design's own formulas (`Filter_Weights(k)`, k from 1). Storage is a
// plain heap block of exactly `extent` elements: an index outside the extent is
// a heap overflow that the address sanitizer reports, and with
// KALTAP_BOUNDS_CHECK defined every access is checked and aborts.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>

template <class T>
class Array1 {
public:
    Array1() = default;

    // Allocate `extent` elements (contents undefined, as after a Fortran ALLOCATE).
    // A negative extent allocates nothing.
    void allocate(int extent) {
        data_.reset();
        extent_ = extent > 0 ? extent : 0;
        if (extent_ > 0) data_.reset(new T[static_cast<std::size_t>(extent_)]);
    }
    void release() {
        data_.reset();
        extent_ = 0;
    }
    bool allocated() const { return data_ != nullptr; }
    int extent() const { return extent_; }

    T& operator()(int k) {
        check(k);
        return data_[static_cast<std::size_t>(k - 1)];
    }
    const T& operator()(int k) const {
        check(k);
        return data_[static_cast<std::size_t>(k - 1)];
    }

    // Address of element k (for block kernels that work on contiguous runs).
    T* at(int k) { return data_.get() + (k - 1); }
    const T* at(int k) const { return data_.get() + (k - 1); }

private:
    void check(int k) const {
#ifdef KALTAP_BOUNDS_CHECK
        if (k < 1 || k > extent_) {
            std::fprintf(stderr, "Array1: index %d outside 1..%d\n", k, extent_);
            std::abort();
        }
#else
        (void)k;
#endif
    }

    std::unique_ptr<T[]> data_;
    int extent_ = 0;
};
