#include <cstdio>
int main() { std::puts("korvane"); return 0; }
