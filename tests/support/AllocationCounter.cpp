#include "support/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace frayline::allocations {
namespace {

std::atomic<bool> counting{false};
std::atomic<uint64_t> newCount{0};
std::atomic<uint64_t> mallocCount{0};

}  // namespace
}  // namespace frayline::allocations

#ifdef FRAYLINE_WRAP_MALLOC
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* pointer, std::size_t size);

void* __wrap_malloc(std::size_t size)
{
    if (frayline::allocations::counting.load())
        ++frayline::allocations::mallocCount;
    return __real_malloc(size);
}

void* __wrap_calloc(std::size_t count, std::size_t size)
{
    if (frayline::allocations::counting.load())
        ++frayline::allocations::mallocCount;
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* pointer, std::size_t size)
{
    if (frayline::allocations::counting.load())
        ++frayline::allocations::mallocCount;
    return __real_realloc(pointer, size);
}
}
#endif

namespace {

// Straight to the C heap, past the wrap, so operator new is counted once.
void* Allocate(std::size_t size)
{
    if (frayline::allocations::counting.load())
        ++frayline::allocations::newCount;
#ifdef FRAYLINE_WRAP_MALLOC
    return __real_malloc(size == 0 ? 1 : size);
#else
    return std::malloc(size == 0 ? 1 : size);
#endif
}

void* AllocateOrThrow(std::size_t size)
{
    void* pointer = Allocate(size);
    if (pointer == nullptr)
        throw std::bad_alloc();
    return pointer;
}

}  // namespace

// Every replaceable form but the aligned ones, which stay the library's and
// pair with its own aligned delete. Sized and nothrow deletes are replaced
// too, so no library delete ever sees a block from this new.
void* operator new(std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new[](std::size_t size)
{
    return AllocateOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void operator delete(void* pointer) noexcept
{
    std::free(pointer);
}
void operator delete[](void* pointer) noexcept
{
    std::free(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    std::free(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    std::free(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    std::free(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    std::free(pointer);
}

namespace frayline::allocations {

void Start()
{
    newCount = 0;
    mallocCount = 0;
    counting = true;
}

Counts Stop()
{
    counting = false;
    return Counts{newCount.load(), mallocCount.load()};
}

bool CountsMalloc()
{
#ifdef FRAYLINE_WRAP_MALLOC
    return true;
#else
    return false;
#endif
}

}  // namespace frayline::allocations
