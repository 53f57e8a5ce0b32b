// The little of the C++ runtime the module needs, without the library's versions: theirs
// report failures on stderr and so bring WASI imports into a module that must have none
// of its own but the page's. A failure that cannot be returned traps; the page sees it
// as a failed expansion.
#include <cstdlib>
#include <new>

extern "C" void __cxa_pure_virtual() { __builtin_trap(); }

void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }

void* operator new(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) __builtin_trap();
    return p;
}
void* operator new[](std::size_t n) { return operator new(n); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
