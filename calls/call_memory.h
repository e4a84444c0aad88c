// Memory for the records of calls. A run holds hundreds of thousands of calls at once;
// taking their memory from large regions advised for huge pages spares the run most of
// its page faults, which on some machines cost as much as the simulation itself.
#pragma once

#include <memory_resource>

namespace calls {

// The calling thread's pool for call records: freed blocks are kept for reuse, and the
// memory is given back when the thread ends; blocks larger than the pool keeps are given
// back when freed. Allocation failures throw std::bad_alloc. Records taken from it must
// be freed by the same thread, before it ends.
std::pmr::memory_resource* callMemory();

}  // namespace calls
