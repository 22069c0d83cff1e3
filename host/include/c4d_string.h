// Text of the plug-in interface: UTF-8, value semantics.
#ifndef C4D_STRING_H__
#define C4D_STRING_H__

#include <string>
#include "ge_math.h"

class String
{
public:
	String() {}
	String(const CHAR* text) : s_(text ? text : "") {}

	LONG GetLength() const { return (LONG)s_.size(); }
	Bool Content() const { return !s_.empty(); }

	String& operator+=(const String& other) { s_ += other.s_; return *this; }
	friend String operator+(String a, const String& b) { return a += b; }

	friend bool operator==(const String& a, const String& b) { return a.s_ == b.s_; }
	friend bool operator!=(const String& a, const String& b) { return a.s_ != b.s_; }
	friend bool operator<(const String& a, const String& b) { return a.s_ < b.s_; }

	// Characters [start, start + count), clipped to the text; a negative count
	// runs to the end.
	String SubStr(LONG start, LONG count) const;
	String Left(LONG count) const { return SubStr(0, count); }
	String Right(LONG count) const;

	// Position of the last occurrence of ch at or before start (-1: from the end).
	Bool FindLast(CHAR ch, LONG* pos, LONG start = -1) const;
	Bool FindFirst(CHAR ch, LONG* pos, LONG start = 0) const;

	String ToUpper() const;
	String ToLower() const;

	// Decimal integer, optionally signed, surrounded by optional blanks.
	// *error is set to TRUE (and 0 returned) for anything else or on overflow.
	LONG ToLong(Bool* error = nullptr) const;
	Real ToReal(Bool* error = nullptr) const;

	CHAR operator[](LONG i) const { return (i >= 0 && i < GetLength()) ? s_[(size_t)i] : '\0'; }

	const std::string& GetStdString() const { return s_; }
	const CHAR* GetCStr() const { return s_.c_str(); }

private:
	// The host's own code makes text of its std::string values through it.
	friend struct HostStringAccess;

	std::string s_;
};

String LongToString(LONG v);
String LLongToString(LLONG v);
// Shortest text that reads back as the same number.
String RealToString(Real v);

#endif
