// GeData: one typed value of a container or a parameter.
#ifndef C4D_GEDATA_H__
#define C4D_GEDATA_H__

#include "c4d_basetime.h"
#include "c4d_customdatatype.h"
#include "c4d_file.h"
#include "c4d_string.h"

class BaseContainer;
class BaseDocument;
class BaseList2D;
class C4DAtomGoal;

enum
{
	DA_NIL = 0,
	DA_VOID = 14,
	DA_LONG = 15,
	DA_REAL = 19,
	DA_TIME = 22,
	DA_VECTOR = 23,
	DA_MATRIX = 25,
	DA_LLONG = 26,
	DA_BYTEARRAY = 128,
	DA_STRING = 130,
	DA_FILENAME = 131,
	DA_CONTAINER = 132,
	DA_ALIASLINK = 133,
	DA_MARKER = 256,
	DA_MISSINGPLUG = 257,
	DA_CUSTOMDATATYPE = 1000000
};

// Picks the 64-bit integer constructor, which no other integer type reaches.
enum LLONGVALUETYPE
{
	LLONGVALUE
};

// Numeric reads (GetLong, GetReal, GetBool, GetLLong) convert between integer,
// real and bool; any other read of a value of a different type gives the zero
// value of the type asked for. For custom data GetType() is the custom type id.
class GeData
{
public:
	GeData() : type_(DA_NIL) {}
	GeData(LONG v) : type_(DA_LONG) { u_.l = v; }
	GeData(LLONG v, LLONGVALUETYPE) : type_(DA_LLONG) { u_.ll = v; }
	GeData(Real v) : type_(DA_REAL) { u_.r = v; }
	GeData(const Vector& v) : type_(DA_VECTOR) { u_.v = v; }
	GeData(const BaseTime& t) : type_(DA_TIME) { u_.t = t; }
	GeData(const String& v);
	GeData(const CHAR* v);
	GeData(const Filename& v);
	GeData(const BaseContainer& v);
	GeData(LONG type, const CustomDataType& data);
	GeData(const GeData& other) : type_(DA_NIL)
	{
		// Numbers, vectors and times copy as they are; the rest own a payload.
		if (other.type_ < DA_BYTEARRAY)
		{
			type_ = other.type_;
			u_ = other.u_;
		}
		else
		{
			u_.ll = 0;
			CopyFrom(other);
		}
	}
	GeData(GeData&& other) noexcept : type_(other.type_), u_(other.u_) { other.type_ = DA_NIL; }
	GeData& operator=(const GeData& other)
	{
		// Numbers, vectors and times are copied as they are.
		if (type_ < DA_BYTEARRAY && other.type_ < DA_BYTEARRAY)
		{
			type_ = other.type_;
			u_ = other.u_;
			return *this;
		}
		return AssignOwned(other);
	}
	GeData& operator=(GeData&& other) noexcept { Swap(other); return *this; }
	~GeData() { if (type_ >= DA_BYTEARRAY) Release(); }

	LONG GetType() const { return type_; }

	// Inline: the engine reads hundreds of numbers per evaluation.
	LONG GetLong() const
	{
		switch (type_)
		{
			case DA_LONG: return u_.l;
			case DA_LLONG:
				if (u_.ll > 2147483647)
					return 2147483647;
				if (u_.ll < -2147483647 - 1)
					return -2147483647 - 1;
				return (LONG)u_.ll;
			case DA_REAL: return RealToLong(u_.r);
			default: return 0;
		}
	}
	LLONG GetLLong() const
	{
		switch (type_)
		{
			case DA_LONG: return u_.l;
			case DA_LLONG: return u_.ll;
			case DA_REAL: return RealToLLong(u_.r);
			default: return 0;
		}
	}
	Real GetReal() const
	{
		switch (type_)
		{
			case DA_LONG: return (Real)u_.l;
			case DA_LLONG: return (Real)u_.ll;
			case DA_REAL: return u_.r;
			default: return 0.0;
		}
	}
	// A real is true when it is neither 0 nor NaN.
	Bool GetBool() const
	{
		if (type_ == DA_REAL)
			return u_.r != 0.0 && u_.r == u_.r;
		return GetLLong() != 0;
	}
	// The value held, or a zero value of the type asked for that lives as
	// long as the program.
	const Vector& GetVector() const { return type_ == DA_VECTOR ? u_.v : ZeroVector(); }
	const BaseTime& GetTime() const { return type_ == DA_TIME ? u_.t : ZeroTime(); }
	const String& GetString() const;
	const Filename& GetFilename() const;
	// The container held, or null for any other type.
	BaseContainer* GetContainer() const;
	// The custom data held when its type id is datatype, else null.
	CustomDataType* GetCustomDataType(LONG datatype) const
	{
		return (type_ == datatype && type_ >= DA_CUSTOMDATATYPE) ? static_cast<CustomDataType*>(u_.p) : nullptr;
	}
	// The linked element while it exists and belongs to doc (any document
	// when doc is null), else null.
	BaseList2D* GetLink(const BaseDocument* doc, LONG instanceof = 0) const;

	void SetLong(LONG v) { *this = GeData(v); }
	void SetReal(Real v) { *this = GeData(v); }
	void SetVector(const Vector& v) { *this = GeData(v); }
	void SetString(const String& v) { *this = GeData(v); }
	void SetCustomDataType(LONG datatype, const CustomDataType& data) { *this = GeData(datatype, data); }
	// An empty link when link is null.
	void SetBaseList2D(C4DAtomGoal* link);
	void SetNil() { *this = GeData(); }

	friend bool operator==(const GeData& a, const GeData& b);
	friend bool operator!=(const GeData& a, const GeData& b) { return !(a == b); }

	void Swap(GeData& other)
	{
		GeData::Payload u = u_; u_ = other.u_; other.u_ = u;
		LONG t = type_; type_ = other.type_; other.type_ = t;
	}

private:
	// The host's evaluation asks for what owned values point at ahead of use.
	friend struct ContainerPrefetch;

	// Types below DA_BYTEARRAY live inline; every later type owns a heap
	// payload. Strings and filenames both hold a Filename, so that a path
	// stored as text reads as that path.
	union Payload
	{
		Payload() : ll(0) {}
		LONG l;
		LLONG ll;
		Real r;
		Vector v;
		BaseTime t;
		void* p;
	};
	void Release();
	void CopyFrom(const GeData& other);
	GeData& AssignOwned(const GeData& other);
	static const Vector& ZeroVector();
	static const BaseTime& ZeroTime();

	// Truncation toward zero, saturated at the ends of the range; NaN reads
	// as 0.
	static LONG RealToLong(Real r)
	{
		if (!(r == r))
			return 0;
		if (r >= 2147483647.0)
			return 2147483647;
		if (r <= -2147483648.0)
			return -2147483647 - 1;
		return (LONG)r;
	}
	static LLONG RealToLLong(Real r)
	{
		if (!(r == r))
			return 0;
		if (r >= 9223372036854775807.0)
			return (LLONG)9223372036854775807LL;
		if (r <= -9223372036854775808.0)
			return (LLONG)(-9223372036854775807LL - 1);
		return (LLONG)r;
	}

	LONG type_;
	Payload u_;
};

#endif
