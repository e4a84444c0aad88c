// The replaced global allocation functions of the allocation-failure test binary.
#include "alloc/allocation_failure.h"

#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));

namespace alloc_test {

namespace {

bool tracing = false;
bool armed = false;
std::int64_t failAt = 0;
std::int64_t counted = 0;
bool injected = false;

// True when this allocation is the one to fail.
bool countAllocation() {
  if (!armed) return false;
  ++counted;
  if (failAt > 0 && counted == failAt) {
    injected = true;
    if (tracing && __sanitizer_print_stack_trace != nullptr) __sanitizer_print_stack_trace();
    return true;
  }
  return false;
}

void* allocate(std::size_t size, std::size_t alignment) {
  if (countAllocation()) return nullptr;
  if (size == 0) size = 1;
  if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
  void* memory = nullptr;
  return posix_memalign(&memory, alignment, size) == 0 ? memory : nullptr;
}

void* allocateOrThrow(std::size_t size, std::size_t alignment) {
  void* memory = allocate(size, alignment);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

}  // namespace

void arm(std::int64_t n) {
  failAt = n;
  counted = 0;
  injected = false;
  armed = true;
}

void traceFailure(bool on) {
  tracing = on;
}

void disarm() {
  armed = false;
}

std::int64_t allocationsSinceArm() {
  return counted;
}

bool failureInjected() {
  return injected;
}

}  // namespace alloc_test

using alloc_test::allocate;
using alloc_test::allocateOrThrow;

constexpr std::size_t kPlain = alignof(std::max_align_t);

void* operator new(std::size_t size) {
  return allocateOrThrow(size, kPlain);
}
void* operator new[](std::size_t size) {
  return allocateOrThrow(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return allocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size, kPlain);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocate(size, kPlain);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return allocate(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  std::free(memory);
}
