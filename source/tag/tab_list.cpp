#include "tab_list.h"

#include <algorithm>

TabList::TabList(const BaseContainer& list) : count_(0)
{
	const LONG promised = list.GetLong(PULSOR_TAB_LIST_COUNT, 0);
	if (promised <= 0)
		return;
	const LLONG last = (LLONG)PULSOR_TAB_LIST_FIRST + promised - 1;
	for (LONG i = 0;; ++i)
	{
		const GeData* value = list.GetIndexData(i);
		if (!value)
			break;
		const LONG id = list.GetIndexId(i);
		if (id < PULSOR_TAB_LIST_FIRST)
			continue;
		if (id > last)
			break;
		// A whole-numbered real (a script's SetReal) still names a tab.
		const LONG type = value->GetType();
		const bool integral = type == DA_LONG || type == DA_LLONG ||
			(type == DA_REAL && value->GetReal() == (Real)value->GetLong());
		if (!integral)
			continue;
		const LONG number = value->GetLong();
		if (number < 1 || number > PULSOR_MAX_TAB_NUMBER)
			continue;
		Append(number);
	}
	RemoveRepeats();
}

void TabList::RemoveRepeats()
{
	LONG* data = Data();
	if (count_ <= INLINE_CAPACITY)
	{
		LONG kept = 0;
		for (LONG i = 0; i < count_; ++i)
		{
			bool seen = false;
			for (LONG j = 0; j < kept && !seen; ++j)
				seen = data[j] == data[i];
			if (!seen)
				data[kept++] = data[i];
		}
		count_ = kept;
		if (!large_.empty())
			large_.resize((size_t)count_);
		return;
	}
	// Long lists: sort (number, position) pairs, so that a hostile list of a
	// million entries costs n log n rather than n squared.
	std::vector<std::pair<LONG, LONG>> order;
	order.reserve((size_t)count_);
	for (LONG i = 0; i < count_; ++i)
		order.push_back(std::make_pair(data[i], i));
	std::sort(order.begin(), order.end());
	std::vector<char> repeat((size_t)count_, 0);
	for (size_t i = 1; i < order.size(); ++i)
		if (order[i].first == order[i - 1].first)
			repeat[(size_t)order[i].second] = 1;
	LONG kept = 0;
	for (LONG i = 0; i < count_; ++i)
		if (!repeat[(size_t)i])
			data[kept++] = data[i];
	count_ = kept;
	if (!large_.empty())
		large_.resize((size_t)count_);
}

LONG TabList::IndexOf(LONG number) const
{
	const LONG* data = Data();
	for (LONG i = 0; i < count_; ++i)
		if (data[i] == number)
			return i;
	return -1;
}

LONG TabList::FirstFreeNumber(LONG from) const
{
	if (from < 1)
		from = 1;
	std::vector<LONG> sorted(Data(), Data() + count_);
	std::sort(sorted.begin(), sorted.end());
	LONG candidate = from;
	for (LONG number : sorted)
	{
		if (number < candidate)
			continue;
		if (number > candidate)
			break;
		++candidate;
	}
	return candidate <= PULSOR_MAX_TAB_NUMBER ? candidate : -1;
}

void TabList::Append(LONG number)
{
	if (large_.empty() && count_ < INLINE_CAPACITY)
	{
		small_[count_++] = number;
		return;
	}
	if (large_.empty())
		large_.assign(small_, small_ + count_);
	large_.push_back(number);
	++count_;
}

void TabList::Remove(LONG index)
{
	if (index < 0 || index >= count_)
		return;
	LONG* data = Data();
	for (LONG i = index; i + 1 < count_; ++i)
		data[i] = data[i + 1];
	--count_;
	if (!large_.empty())
		large_.pop_back();
}

void TabList::Swap(LONG a, LONG b)
{
	if (a < 0 || b < 0 || a >= count_ || b >= count_)
		return;
	LONG* data = Data();
	const LONG t = data[a];
	data[a] = data[b];
	data[b] = t;
}

void TabList::WriteTo(BaseContainer* list) const
{
	list->SetLong(PULSOR_TAB_LIST_COUNT, count_);
	const LONG* data = Data();
	for (LONG i = 0; i < count_; ++i)
		list->SetLong(PULSOR_TAB_LIST_FIRST + i, data[i]);
}

std::set<String> TabNames(const BaseContainer& data, const TabList& tabs)
{
	std::set<String> names;
	for (LONG i = 0; i < tabs.GetCount(); ++i)
		names.insert(data.GetString(TabBase(tabs[i]) + PULSOR_TAB_NAME));
	return names;
}

String FirstFreeName(const String& stem, const String& separator, LONG first, const std::set<String>& taken)
{
	// At most taken.size() candidates can be taken, so this ends.
	for (LONG k = first;; ++k)
	{
		const String candidate = k == 1 ? stem : stem + separator + LongToString(k);
		if (!taken.count(candidate))
			return candidate;
	}
}

LONG NumberedSuffixStart(const String& name)
{
	LONG space = -1;
	if (!name.FindLast(' ', &space))
		return -1;
	Bool error = FALSE;
	name.SubStr(space, -1).ToLong(&error);
	return error ? -1 : space;
}
