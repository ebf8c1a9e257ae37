#include "vko_private_memory.h"

#include <sys/prctl.h>

void VKO_KeepMemoryPrivate() {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}
