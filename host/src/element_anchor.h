// The weak reference behind links: an element owns one anchor for its whole
// life and clears it when it dies; links keep the anchor, not the element.
#ifndef ELEMENT_ANCHOR_H__
#define ELEMENT_ANCHOR_H__

#include <atomic>

#include "c4d_baselist.h"

struct C4DAtomGoal::Anchor
{
	std::atomic<int> refs{1};
	C4DAtomGoal* element = nullptr;

	void Retain() { refs.fetch_add(1, std::memory_order_relaxed); }
	void Release()
	{
		if (refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
			delete this;
	}
};

// The element an anchor holds when it is a BaseList2D (not a track), else
// null. Every goal is a node, and nodes know their class.
inline BaseList2D* AnchoredElement(const C4DAtomGoal::Anchor& anchor)
{
	return anchor.element ? dynamic_cast<BaseList2D*>(static_cast<GeListNode*>(anchor.element)) : nullptr;
}

#endif
