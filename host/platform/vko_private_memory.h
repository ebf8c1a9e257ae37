#pragma once

// Once a run holds token values (passwords among them), the process writes no core dump, and
// other processes of the user can no longer read its memory (/proc/<pid>/mem, ptrace).
void VKO_KeepMemoryPrivate();
