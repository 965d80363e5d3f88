#include "bench/AllocationCounter.h"

#include <link.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <new>

// The executable's definitions of the allocation functions win over the C
// and C++ libraries' for every shared object in the process, the plugin and
// Mesa included. Each one counts and hands over to glibc's own entry points,
// so memory still comes from one allocator and free() needs no wrapper.

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

std::atomic<uint64_t> total{0};
std::atomic<uint64_t> watched{0};
std::atomic<uintptr_t> watchedLow{0};
std::atomic<uintptr_t> watchedHigh{0};

// Called from each wrapper itself, so the caller's return address is the
// allocating code's.
inline void Count(const void* caller)
{
    total.fetch_add(1, std::memory_order_relaxed);
    const auto address = reinterpret_cast<uintptr_t>(caller);
    if (address >= watchedLow.load(std::memory_order_relaxed) &&
        address < watchedHigh.load(std::memory_order_relaxed))
        watched.fetch_add(1, std::memory_order_relaxed);
}

void* NewOrThrow(size_t size, const void* caller)
{
    Count(caller);
    void* pointer = __libc_malloc(size != 0 ? size : 1);
    if (pointer == nullptr)
        throw std::bad_alloc();
    return pointer;
}

void* NewOrNull(size_t size, const void* caller)
{
    Count(caller);
    return __libc_malloc(size != 0 ? size : 1);
}

struct Search {
    uintptr_t address;
    uintptr_t low;
    uintptr_t high;
};

int FindModule(dl_phdr_info* info, size_t, void* data)
{
    auto* search = static_cast<Search*>(data);
    uintptr_t low = UINTPTR_MAX;
    uintptr_t high = 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[i];
        if (segment.p_type != PT_LOAD)
            continue;
        const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
        low = start < low ? start : low;
        high = start + segment.p_memsz > high ? start + segment.p_memsz : high;
    }
    if (search->address < low || search->address >= high)
        return 0;
    search->low = low;
    search->high = high;
    return 1;
}

}  // namespace

#define CALLER __builtin_return_address(0)

extern "C" {

void* malloc(size_t size)
{
    Count(CALLER);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size)
{
    Count(CALLER);
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size)
{
    Count(CALLER);
    return __libc_realloc(pointer, size);
}

void* memalign(size_t alignment, size_t size)
{
    Count(CALLER);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    Count(CALLER);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size)
{
    Count(CALLER);
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    void* pointer = __libc_memalign(alignment, size);
    if (pointer == nullptr && size != 0)
        return ENOMEM;
    *out = pointer;
    return 0;
}

}  // extern "C"

void* operator new(size_t size)
{
    return NewOrThrow(size, CALLER);
}

void* operator new[](size_t size)
{
    return NewOrThrow(size, CALLER);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return NewOrNull(size, CALLER);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return NewOrNull(size, CALLER);
}

void operator delete(void* pointer) noexcept
{
    std::free(pointer);
}

void operator delete[](void* pointer) noexcept
{
    std::free(pointer);
}

void operator delete(void* pointer, size_t) noexcept
{
    std::free(pointer);
}

void operator delete[](void* pointer, size_t) noexcept
{
    std::free(pointer);
}

namespace frayline::bench {

AllocationCounts CountAllocations()
{
    return {total.load(std::memory_order_relaxed), watched.load(std::memory_order_relaxed)};
}

bool WatchModuleAt(const void* address)
{
    Search search{reinterpret_cast<uintptr_t>(address), 0, 0};
    if (dl_iterate_phdr(FindModule, &search) == 0)
        return false;
    watchedLow.store(search.low, std::memory_order_relaxed);
    watchedHigh.store(search.high, std::memory_order_relaxed);
    return true;
}

}  // namespace frayline::bench
