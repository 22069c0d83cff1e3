// The tab list, decoded defensively: a container may come from a hostile
// file, so every read here is bounded and validated.
#ifndef PULSOR_TAB_LIST_H__
#define PULSOR_TAB_LIST_H__

#include <set>
#include <vector>

#include "pulsor_ids.h"

// The tab numbers of PULSOR_TAB_LIST in display order. Reading keeps what
// makes sense and skips the rest: entries the count promises but the list
// lacks, entries that are no integers, tab numbers below 1 or above
// PULSOR_MAX_TAB_NUMBER (number 0 would alias the global entries), and
// repeats of an earlier number. The work is bounded by the entries present,
// whatever the count says.
class TabList
{
public:
	TabList() : count_(0) {}
	explicit TabList(const BaseContainer& list);

	LONG GetCount() const { return count_; }
	LONG operator[](LONG i) const { return Data()[i]; }
	// Position in display order, or -1.
	LONG IndexOf(LONG number) const;
	// The smallest tab number from `from` on that is not in the list, or -1
	// when none fits.
	LONG FirstFreeNumber(LONG from) const;

	void Append(LONG number);
	void Remove(LONG index);
	void Swap(LONG a, LONG b);

	// Entry 0 and entries 5 .. count + 4; other entries stay as they are.
	void WriteTo(BaseContainer* list) const;

private:
	enum { INLINE_CAPACITY = 16 };
	const LONG* Data() const { return large_.empty() ? small_ : large_.data(); }
	LONG* Data() { return large_.empty() ? small_ : large_.data(); }
	void RemoveRepeats();

	LONG small_[INLINE_CAPACITY];
	std::vector<LONG> large_;
	LONG count_;
};

// A list decoded once for as long as it stays the same: the tag decodes its
// list twice on every evaluation. The container decoded last is kept as a
// copy, which shares its storage with the tag's list until either is
// written, so that an unchanged list is known at a glance and a changed one
// is never mistaken for it.
class TabListCache
{
public:
	TabListCache() : decoded_(false) {}
	const TabList& Of(const BaseContainer& list)
	{
		if (!decoded_ || list != source_)
		{
			tabs_ = TabList(list);
			decoded_ = true;
		}
		source_ = list;
		return tabs_;
	}

private:
	BaseContainer source_;
	TabList tabs_;
	bool decoded_;
};

// The names of the tabs of tabs.
std::set<String> TabNames(const BaseContainer& data, const TabList& tabs);

// Where a name ending in a space and an integer ("Noise 3") has that space,
// else -1.
LONG NumberedSuffixStart(const String& name);

// The first of stem (for k = 1) and stem + separator + k (k = 2, 3, ...),
// counting from first, that no name in taken equals.
String FirstFreeName(const String& stem, const String& separator, LONG first, const std::set<String>& taken);

#endif
