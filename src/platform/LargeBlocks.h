#pragma once

namespace tavimo {

// Makes large blocks of memory (a picture's bytes while it is read, written
// and decoded) go back to the system when they are freed. The C library would
// otherwise raise its threshold for such blocks after the first is freed and
// keep later ones in its heap, where a few pictures of several megabytes leave
// the program a hundred megabytes larger long after they were let go. Called
// once, first thing in main().
void returnLargeBlocksToSystem();

} // namespace tavimo
