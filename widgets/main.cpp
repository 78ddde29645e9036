#include <cstdio>

int main() {
  std::puts("kelvo-widget: the Kelvo actions widget extension (not yet built)");
  return 0;
}
