// Parses bytes as a URL and checks that what its components build reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/URLComponents.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  const auto url = kelvo::URL::parse(text);
  if (!url) return 0;
  (void)url->host();
  (void)url->pathComponents();
  (void)url->lastPathComponent();
  const kelvo::URLComponents components(*url);
  const auto rebuilt = components.url();
  if (!rebuilt) return 0;
  const kelvo::URLComponents again(*rebuilt);
  if (again.scheme != components.scheme || again.host != components.host ||
      again.port != components.port || again.path != components.path ||
      again.queryItems != components.queryItems || again.fragment != components.fragment ||
      again.user != components.user || again.password != components.password) {
    std::abort();
  }
  return 0;
}
