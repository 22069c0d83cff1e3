// How the host copies, compares and destroys each custom data type. The
// values carry no type of their own: a GeData knows the id it holds, and the
// handler of that id knows the C++ type behind it.
#ifndef CUSTOM_DATA_H__
#define CUSTOM_DATA_H__

#include <new>

#include "c4d_customdatatype.h"

struct CustomDataHandler
{
	// A new copy, owned by the caller; null when out of memory.
	CustomDataType* (*copy)(const CustomDataType& data);
	bool (*equal)(const CustomDataType& a, const CustomDataType& b);
	void (*destroy)(CustomDataType* data);
};

// Null for a type the host does not know.
const CustomDataHandler* FindCustomDataHandler(LONG type);

// Makes a further type known, as a plug-in's data type would be; the host's
// own types and ids below DA_CUSTOMDATATYPE are refused, as is a handler
// without all three functions. A type stays known for the program's life.
bool RegisterCustomDataHandler(LONG type, const CustomDataHandler& handler);

// The handler of a type whose values are a T, copied, compared and
// destroyed as a T.
template <class T>
CustomDataHandler CustomDataHandlerOf()
{
	struct Functions
	{
		static CustomDataType* Copy(const CustomDataType& data)
		{
			// A curve's knots may not fit in memory; the copy then fails alone.
			try
			{
				return new T(static_cast<const T&>(data));
			}
			catch (const std::bad_alloc&)
			{
				return nullptr;
			}
		}
		static bool Equal(const CustomDataType& a, const CustomDataType& b)
		{
			return static_cast<const T&>(a) == static_cast<const T&>(b);
		}
		static void Destroy(CustomDataType* data) { delete static_cast<T*>(data); }
	};
	return CustomDataHandler{ Functions::Copy, Functions::Equal, Functions::Destroy };
}

#endif
