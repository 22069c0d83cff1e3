// The layout tests read pages through the tagdump page printer: one line per
// element, in page order, indented two spaces under its parent group
// (tools/tagdump/page_printer.h gives the line format).
#ifndef PULSOR_PAGE_DUMP_H__
#define PULSOR_PAGE_DUMP_H__

#include <string>
#include <vector>

#include "c4d.h"
#include "page_printer.h"

namespace pulsor_test
{

inline std::vector<std::string> DumpLines(const Description& page)
{
	return PageLines(page);
}

inline std::string DumpPage(const Description& page)
{
	std::string text;
	for (const std::string& line : PageLines(page))
		text += line + "\n";
	return text;
}

} // namespace pulsor_test

#endif
