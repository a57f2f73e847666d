#pragma once
// What the heap may do but need not, made certain for a test: the test program's own
// operator new and delete (malloc and free while nothing is armed) can keep a block
// freed at an armed address for the next allocation of the armed size on the arming
// thread, so a new object takes a deleted one's address; or overwrite a block freed at
// an armed address with 'x' characters and keep it from reuse until disarmed, so a
// pointer kept past its string's end reads what a reused block would hold.
#include <cstddef>

void HeapControl_ReuseNext(const void* address, size_t size);
void HeapControl_PoisonOnFree(const void* address);
void HeapControl_Disarm();
