#include "core/model/CardType.hpp"

namespace kelvo {

std::string_view badgeLabel(CardType type) {
  switch (type) {
    case CardType::text:
      return "Text";
    case CardType::image:
      return "Image";
    case CardType::file:
      return "File";
    case CardType::document:
      return "Doc";
    case CardType::fact:
      return "Fact";
  }
  return "File";
}

}  // namespace kelvo
