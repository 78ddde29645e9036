// Opens the settings suite kept in the file named first on the command line and reads one key.
#include "platform/foundation/UserDefaults.hpp"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const kelvo::UserDefaults defaults(argv[1]);
  return defaults.string("appearance") ? 0 : 1;
}
