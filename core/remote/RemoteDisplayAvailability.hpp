#pragma once

namespace kelvo {
class Card;
}

namespace kelvo::Remote {

/// Whether a card is fit to be shown on the controller: not in the Trash, its payload
/// available, no `{name}` blanks to fill, and something to show (text that is not blank, or
/// readable bytes).
struct RemoteDisplayAvailability {
  /// False for no card. Reads the card; changes nothing.
  static bool canShow(const Card* card);
};

}  // namespace kelvo::Remote
