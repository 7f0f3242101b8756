#include <cstdio>
int main() { std::puts("zelkctl"); return 0; }
