#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "core/search/SemanticLexicon.hpp"

namespace kelvo::testing {

/// Answers from a fixed list whatever the term, and counts what it was asked.
class ScriptedLexicon final : public SemanticLexicon {
 public:
  explicit ScriptedLexicon(std::vector<TermVariant> answer = {}) : answer_(std::move(answer)) {}

  std::vector<TermVariant> variants(std::string_view term, std::int64_t limit) const override {
    asked.push_back(std::string(term));
    std::vector<TermVariant> out;
    for (const TermVariant& variant : answer_) {
      if (static_cast<std::int64_t>(out.size()) >= limit) break;
      out.push_back(variant.term.empty() ? TermVariant{std::string(term), variant.relation}
                                         : variant);
    }
    return out;
  }
  void prewarm() const override { ++prewarmed; }

  mutable std::vector<std::string> asked;
  mutable int prewarmed = 0;

 private:
  // An empty term in the list stands for the asked term itself.
  std::vector<TermVariant> answer_;
};

}  // namespace kelvo::testing
