// Built only by the layer test, which expects it not to compile: the model sits below the widget.
#include "core/widget/KelvoURL.hpp"
