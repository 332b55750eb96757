/* The smallest program the linker makes with a debug directory: a seed for the stub fuzz target. */
int Start(void) { return 0; }
