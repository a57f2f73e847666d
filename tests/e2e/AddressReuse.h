#pragma once
// Makes a new object take the address of one just deleted, as the heap often does but
// need not: the test program's own operator new and delete keep the block freed at the
// armed address and hand it to the next allocation of the armed size on the arming
// thread. Unarmed, they are malloc and free.
#include <cstddef>

void AddressReuse_Arm(const void* address, size_t size);
void AddressReuse_Disarm();
