#pragma once

// The panes on screen at each push depth of one stack of pushed panes, so that only the deepest
// offers the way back:
//
//   PushedPaneStack stack;
//   stack.appeared(PushedPaneStack::depth(false));  // pushed from the root
//   stack.appeared(PushedPaneStack::depth(true));   // pushed from that pane
//   const bool outerOffersBack = stack.ownsTheWayBack(1);  // false: the deeper pane does
//   stack.disappeared(2);
//   const bool nowOffersBack = stack.ownsTheWayBack(1);  // true

#include <cstdint>
#include <map>
#include <optional>

namespace kelvo {

/// Counts the panes on screen at each push depth of one stack of pushed panes, so that only the
/// deepest offers the way back.
class PushedPaneStack {
 public:
  /// 2 for a pane pushed from a pushed pane, else 1.
  static constexpr std::int64_t depth(bool isPushedFromAPushedScreen) {
    return isPushedFromAPushedScreen ? 2 : 1;
  }

  /// One more pane at `depth`; a depth of 0 or below is ignored.
  void appeared(std::int64_t depth);
  /// One pane fewer at `depth`; a depth with none stays without an entry.
  void disappeared(std::int64_t depth);
  /// The deepest depth with a pane on screen.
  std::optional<std::int64_t> topDepth() const;
  /// Whether a pane at `depth` offers the way back: it is at the top.
  bool ownsTheWayBack(std::int64_t depth) const { return topDepth() == depth; }

  friend bool operator==(const PushedPaneStack&, const PushedPaneStack&) = default;

 private:
  std::map<std::int64_t, std::int64_t> screensAtDepth_;
};

}  // namespace kelvo
