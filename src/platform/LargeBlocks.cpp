#include "platform/LargeBlocks.h"

#include "platform/Logging.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tavimo {

void returnLargeBlocksToSystem() {
#if defined(__GLIBC__)
    // A fixed threshold also stops the C library from raising it. 1 MiB keeps
    // everyday blocks (texts, small pictures, widgets) in the heap.
    if (mallopt(M_MMAP_THRESHOLD, 1024 * 1024) != 1)
        qCWarning(lcPlatform) << "large blocks of memory stay in the heap when freed";
#endif
}

} // namespace tavimo
