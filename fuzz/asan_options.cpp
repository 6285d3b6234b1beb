// Linked into every fuzz target. Qt is built without frame pointers, so the fast
// unwinder that records each allocation's stack walks into garbage past the first
// frame; every garbage stack is kept for good, and long runs grow and slow down until
// most of the time goes to storing them. The allocating function alone stays bounded.
// For full allocation stacks when replaying a crash: ASAN_OPTIONS=malloc_context_size=30.
extern "C" const char* __asan_default_options() {
    return "malloc_context_size=1";
}
