// Built only by the data tests, in a mode the library is not built in, which expect it not to
// compile: linked, it would write a debug-mode or old-ABI list past the end of the value.
#include "platform/data/Value.hpp"

int main() {
  const kelvo::data::Value value(kelvo::data::Value::StringList{"a", "b", "c"});
  return value.stringList() ? 0 : 1;
}
