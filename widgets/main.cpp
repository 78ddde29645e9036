// The widget extension's entry: the system's widget host takes over with the bundle.
#include "widgets/KelvoActionsWidget.hpp"

int main(int argc, char** argv) { return kelvo::KelvoWidgetBundle::main(argc, argv); }
