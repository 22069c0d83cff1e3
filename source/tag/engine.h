// Shared pieces of the evaluation engine: frame arithmetic, curve lookups and
// the output range.
#ifndef PULSOR_ENGINE_H__
#define PULSOR_ENGINE_H__

#include "link_state.h"
#include "link_types.h"
#include "tab_list.h"

// The frame position of a document time at fps frames per second. A time
// that lies on a whole frame gives exactly that frame: seconds times fps
// would give 122.99999999999999 for frame 123 at 30 fps, and a repeated
// evaluation of that frame would then not be recognised as one.
Real FramePosition(const BaseTime& time, Real fps);

// Truncation toward zero into 32 bits; saturates, and NaN gives 0.
LONG TruncateToLong(Real v);

// v in 32 bits, saturated at the ends of the range.
LONG SaturateToLong(LLONG v);

// Whole frames of the time at id.
LONG FramesOf(const BaseContainer& data, LONG id, Real fps);
// a + b, saturated to 32 bits.
LONG AddFrames(LONG a, LONG b);

// The curve of the library at id, or null.
const SplineData* LibraryCurve(const BaseContainer& library, LONG id);
// The tag's curve at id, or null.
const SplineData* TagCurve(const BaseContainer& data, LONG id);

// Recomputes PULSOR_RANGE_MIN and PULSOR_RANGE_MAX: the smallest and largest
// value the base and every tab can reach.
void RefreshOutputRange(BaseContainer* data, BaseDocument& doc, Real fps);
// The same with the data's tab list and link already read.
void RefreshOutputRange(BaseContainer* data, BaseDocument& doc, Real fps, const TabList& tabs, const LinkState& link);

#endif
