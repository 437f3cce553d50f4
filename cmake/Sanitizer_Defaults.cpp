// SPDX-License-Identifier: GPL-3.0-or-later
// Default run-time options of the sanitizer build, compiled into every
// program that links the design library. A leak, an address error or
// undefined behaviour stops the program with a failing exit status, so ctest
// reports the test as failed. ASAN_OPTIONS / UBSAN_OPTIONS in the environment
// still override single settings.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:halt_on_error=1:abort_on_error=0:check_initialization_order=1:"
           "strict_init_order=1:detect_stack_use_after_return=1";
}

extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
