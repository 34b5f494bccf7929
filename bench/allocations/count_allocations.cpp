// Counts the heap allocations one thread makes while asked to. Every
// allocation, from C++ or from C libraries such as libxcb, comes through
// malloc, calloc or realloc; glibc's own entry points do the work. No header
// here declares malloc, so these definitions replace the library's.
#include <cstddef>

extern "C" {

void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);

namespace {
thread_local bool counting = false;
thread_local long counted = 0;
}  // namespace

void varno_count_allocations(int on)
{
    counting = on != 0;
    if (counting)
        counted = 0;
}

long varno_counted_allocations()
{
    return counted;
}

void* malloc(std::size_t size)
{
    if (counting)
        ++counted;
    return __libc_malloc(size);
}

void* calloc(std::size_t n, std::size_t size)
{
    if (counting)
        ++counted;
    return __libc_calloc(n, size);
}

void* realloc(void* p, std::size_t size)
{
    if (counting)
        ++counted;
    return __libc_realloc(p, size);
}

}  // extern "C"
