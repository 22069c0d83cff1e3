#include "c4d_string.h"

#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "host_string.h"

String String::SubStr(LONG start, LONG count) const
{
	const LONG len = GetLength();
	if (start < 0)
		start = 0;
	if (start >= len)
		return String();
	LONG avail = len - start;
	if (count < 0 || count > avail)
		count = avail;
	return HostString(s_.substr((size_t)start, (size_t)count));
}

String String::Right(LONG count) const
{
	const LONG len = GetLength();
	if (count <= 0)
		return String();
	if (count >= len)
		return *this;
	return SubStr(len - count, count);
}

Bool String::FindLast(CHAR ch, LONG* pos, LONG start) const
{
	const LONG len = GetLength();
	LONG i = (start < 0 || start >= len) ? len - 1 : start;
	for (; i >= 0; --i)
	{
		if (s_[(size_t)i] == ch)
		{
			if (pos)
				*pos = i;
			return TRUE;
		}
	}
	if (pos)
		*pos = -1;
	return FALSE;
}

Bool String::FindFirst(CHAR ch, LONG* pos, LONG start) const
{
	const LONG len = GetLength();
	for (LONG i = start < 0 ? 0 : start; i < len; ++i)
	{
		if (s_[(size_t)i] == ch)
		{
			if (pos)
				*pos = i;
			return TRUE;
		}
	}
	if (pos)
		*pos = -1;
	return FALSE;
}

// Case mapping touches ASCII only: bytes of multi-byte UTF-8 sequences stay
// as they are, so the text remains valid UTF-8.
String String::ToUpper() const
{
	std::string r = s_;
	for (char& c : r)
		if (c >= 'a' && c <= 'z')
			c = (char)(c - 'a' + 'A');
	return HostString(r);
}

String String::ToLower() const
{
	std::string r = s_;
	for (char& c : r)
		if (c >= 'A' && c <= 'Z')
			c = (char)(c - 'A' + 'a');
	return HostString(r);
}

LONG String::ToLong(Bool* error) const
{
	size_t i = 0;
	const size_t n = s_.size();
	while (i < n && (s_[i] == ' ' || s_[i] == '\t'))
		++i;
	bool negative = false;
	if (i < n && (s_[i] == '+' || s_[i] == '-'))
		negative = s_[i++] == '-';
	const size_t digitsStart = i;
	LLONG value = 0;
	bool overflow = false;
	while (i < n && s_[i] >= '0' && s_[i] <= '9')
	{
		value = value * 10 + (s_[i] - '0');
		if (value > (LLONG)std::numeric_limits<LONG>::max() + 1)
		{
			overflow = true;
			value = 0;
		}
		++i;
	}
	const bool hadDigits = i > digitsStart;
	while (i < n && (s_[i] == ' ' || s_[i] == '\t'))
		++i;
	if (negative)
		value = -value;
	const bool bad = !hadDigits || i != n || overflow || value > std::numeric_limits<LONG>::max() ||
		value < std::numeric_limits<LONG>::min();
	if (error)
		*error = bad ? TRUE : FALSE;
	return bad ? 0 : (LONG)value;
}

Real String::ToReal(Bool* error) const
{
	const char* begin = s_.c_str();
	char* end = nullptr;
	errno = 0;
	const double v = std::strtod(begin, &end);
	bool bad = end == begin || errno == ERANGE;
	while (!bad && *end == ' ')
		++end;
	bad = bad || *end != '\0';
	if (error)
		*error = bad ? TRUE : FALSE;
	return bad ? 0.0 : v;
}

String LongToString(LONG v)
{
	return HostString(std::to_string(v));
}

String LLongToString(LLONG v)
{
	return HostString(std::to_string(v));
}

String RealToString(Real v)
{
	char buf[64];
	const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
	return HostString(std::string(buf, r.ptr));
}
