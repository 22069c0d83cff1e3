// The lists of elements a document or an object keeps (objects, materials,
// tags). An element is in at most one list, once: inserting an element that
// already has a parent is refused.
#ifndef ELEMENT_LIST_H__
#define ELEMENT_LIST_H__

#include <algorithm>
#include <iterator>
#include <vector>

// Searches from the back: a scene is built by appending after the last
// element and freed from the last one, so both cost constant time per element
// instead of the list's length (a loaded scene of many elements would
// otherwise take quadratic time to build and to free).
template <class T>
typename std::vector<T*>::iterator FindInElementList(std::vector<T*>& list, const T* item)
{
	const auto at = std::find(list.rbegin(), list.rend(), item);
	return at == list.rend() ? list.end() : std::prev(at.base());
}

template <class T>
void EraseFromElementList(std::vector<T*>& list, T* item)
{
	const auto at = FindInElementList(list, item);
	if (at != list.end())
		list.erase(at);
}

#endif
