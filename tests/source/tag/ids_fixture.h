// Identifiers of the tag's container by name: Tab(2, PULSOR_TAB_SEED) reads
// better than 22216. The numbers themselves are pinned once, in
// identifier_layout_test.cpp.
#ifndef PULSOR_IDS_FIXTURE_H__
#define PULSOR_IDS_FIXTURE_H__

#include "pulsor_ids.h"

namespace pulsor_test
{

// Field `field` (a PulsorTabField, or any offset) of tab number `number`.
inline LONG Tab(LONG number, LONG field)
{
	return TabBase(number) + field;
}

} // namespace pulsor_test

#endif
