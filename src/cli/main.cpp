#include <cstdio>
int main() { std::puts("tessaline"); return 0; }
