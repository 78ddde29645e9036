// A program over the project's own library, which links kelvo::core; built with
// SHAPES_WITH_CORE it links kelvo::core itself too and reads back what the library wrote.
//
//   shapes-program SETTINGS-FILE
#include <cstdio>
#include <string>

#include "words.hpp"

#ifdef SHAPES_WITH_CORE
#include "platform/foundation/UserDefaults.hpp"
#include "platform/language/LanguageData.hpp"
#endif

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SETTINGS-FILE\n", argv[0]);
    return 2;
  }
  if (const std::string problem = words::tablesProblem(); !problem.empty()) {
    std::printf("words: %s\n", problem.c_str());
    return 1;
  }
  const auto lemma = words::rememberLemma("invoices", argv[1]);
  std::printf("words: \"invoices\" is \"%s\"\n", lemma.value_or("(none)").c_str());
  bool held = lemma == "invoice";
#ifdef SHAPES_WITH_CORE
  // The program's own use of Kelvo: beside a shared library of words, its own copy of it.
  if (const auto problem = kelvo::language::dataProblem()) {
    std::printf("program: %s\n", problem->c_str());
    return 1;
  }
  const kelvo::UserDefaults defaults(argv[1]);
  const auto stored = defaults.string("lemma");
  std::printf("program: the setting reads \"%s\"\n", stored.value_or("(none)").c_str());
  held = held && stored == lemma;
#endif
  return held ? 0 : 1;
}
