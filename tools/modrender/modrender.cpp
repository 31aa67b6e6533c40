// Placeholder until the module player lands.
#include <cstdio>
int main() { std::fprintf(stderr, "varnek-modrender: no module player yet\n"); return 1; }
