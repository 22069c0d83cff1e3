// Prints a Pulsor tag's container in readable form: one line per entry with
// its id, its PULSOR_ name, its type and its value; sub-containers are
// printed indented, curves summarised by their knots.
#ifndef TAGDUMP_CONTAINER_PRINTER_H__
#define TAGDUMP_CONTAINER_PRINTER_H__

#include <ostream>
#include <string>

#include "c4d.h"

// The PULSOR_ name of a tag container id, with a suffix for block members
// ("PULSOR_END_VALUE[slot 1]", "tab 2 PULSOR_TAB_NAME"); empty when the id
// names nothing.
std::string PulsorIdName(LONG id);

void PrintContainer(std::ostream& out, const BaseContainer& bc, bool pulsorNames = true, int indent = 0);

#endif
