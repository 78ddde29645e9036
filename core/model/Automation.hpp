#pragma once

#include "platform/data/ManagedObject.hpp"

namespace kelvo {

/// The managed object of an automation, kept with its definition document. Its rules belong to
/// the automations; the model names the class.
class Automation : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;
};

}  // namespace kelvo
