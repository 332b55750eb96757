// Where the C++ runtime's own errors go in a program built without exceptions.
//
// The library reports the errors it cannot return (a failed allocation, a string past its
// maximum size) through the functions below; the versions it ships throw, and throwing drags the
// whole unwinder, the demangler and a thread library into the program. Here each one ends the
// program as every error that cannot be returned does: the error box, then exit code 0.
#include <stdlib.h>

#include <new>

#include "app/EscapedError.h"

void* operator new(std::size_t size) {
    if (void* p = malloc(size ? size : 1)) return p;
    vq::EndWithError("std::bad_alloc");
}

void* operator new[](std::size_t size) { return ::operator new(size); }

// The nothrow forms answer null, as callers that check for it expect.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return malloc(size ? size : 1);
}

void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, std::size_t) noexcept { free(p); }
void operator delete[](void* p, std::size_t) noexcept { free(p); }

// Every function of the library's throw helpers is defined, so that its throwing versions are
// never linked in; should the library need one not listed, the link fails on a duplicate.
namespace std {

void __throw_bad_exception() { vq::EndWithError("std::bad_exception"); }
void __throw_bad_alloc() { vq::EndWithError("std::bad_alloc"); }
void __throw_bad_array_new_length() { vq::EndWithError("std::bad_array_new_length"); }
void __throw_bad_cast() { vq::EndWithError("std::bad_cast"); }
void __throw_bad_typeid() { vq::EndWithError("std::bad_typeid"); }
void __throw_logic_error(const char* what) { vq::EndWithError(what); }
void __throw_domain_error(const char* what) { vq::EndWithError(what); }
void __throw_invalid_argument(const char* what) { vq::EndWithError(what); }
void __throw_length_error(const char* what) { vq::EndWithError(what); }
void __throw_out_of_range(const char* what) { vq::EndWithError(what); }
void __throw_out_of_range_fmt(const char* format, ...) { vq::EndWithError(format); }
void __throw_runtime_error(const char* what) { vq::EndWithError(what); }
void __throw_range_error(const char* what) { vq::EndWithError(what); }
void __throw_overflow_error(const char* what) { vq::EndWithError(what); }
void __throw_underflow_error(const char* what) { vq::EndWithError(what); }

}  // namespace std
