#pragma once

// Loading thousands of records spends most of its time on the page faults of the growing heap.
// With the heap on huge pages, where the system offers them on request, one fault maps 2 MiB
// instead of 4 KiB. Call once, early, before other threads start. Answers whether the heap is
// marked; without, everything works as before, only slower. Freed memory goes back to the
// system once 64 MiB of it are free at the heap's end.
bool VKO_HugePageHeap();
