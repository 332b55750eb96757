/* A small Windows console program for the stub tests: linked with room for the moved headers. */
#include <stdio.h>

int main(void) {
    puts("hello from the spliced image");
    return 7;
}
