// Prints an element's attribute page in readable form: one line per element,
// in the order the page holds them, indented two spaces per enclosing group:
//
//   2000 group "Base" default=1 columns=1 scaleh=1
//     2001 long "Add Modifiers" min=-2147483648 ... cycle={0:...,1:Noise,...} 39=0 40=1
//     2004 real "Strength" ... unit='fpct' default=1 gui=1000489 minslider=0 maxslider=1
//
// A line holds the first-level id, the data type of the identifier, the label
// in double quotes (left out when the element has none), then every setting
// in the order the element carries them: limits, step, unit as a four-letter
// code, cycle entries, columns, open (default=1) or closed (default=0), the
// control kind (gui=N), and host keys without a name by number. The host's
// animation flag, which every element of a type carries, is left out.
#ifndef TAGDUMP_PAGE_PRINTER_H__
#define TAGDUMP_PAGE_PRINTER_H__

#include <string>
#include <vector>

#include "c4d.h"

// One element's line, without indentation.
std::string PageElementLine(const DescID& id, const BaseContainer& settings);

// Every element's line of a page already built, indented under its parent.
std::vector<std::string> PageLines(const Description& page);

// Asks element for its page (only the element single names when it is not
// null), as the attribute manager does, and prints it: the lines of
// PageLines, each followed by " disabled" when the element's GetDEnabling
// answers FALSE for it. Empty when element is null or gives no page.
std::string PrintPage(BaseList2D* element, const DescID* single = nullptr);

#endif
