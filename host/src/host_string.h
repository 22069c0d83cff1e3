// Text of the host's own std::string values. The interface has no String
// from std::string, so that modules never come to rely on one.
#ifndef HOST_STRING_H__
#define HOST_STRING_H__

#include <string>

#include "c4d_string.h"

struct HostStringAccess
{
	static String Make(const std::string& text)
	{
		String s;
		s.s_ = text;
		return s;
	}
};

// Every byte of text, NUL characters included.
inline String HostString(const std::string& text)
{
	return HostStringAccess::Make(text);
}

#endif
