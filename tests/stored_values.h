// Numbers compared bit for bit with values stored in the repository
// (tests/data/portability): every platform must compute the same bits.
//
// Values are stored as C99 hexadecimal floating point ("%a": 0x1.8p+1), which
// is exact. The text is made here rather than by printf, whose "%a" differs
// between C libraries (MinGW's prints 0xc.p-2 where glibc prints 0x1.8p+1), so
// equal text means equal bits on every platform.
//
// After a deliberate change of the numbers, rewrite the files with
//
//   PULSOR_UPDATE_REFERENCES=1 pulsor_tests --gtest_filter='Portability*'
//
// on Linux x86-64, review the difference, and commit it.
#ifndef PULSOR_TEST_STORED_VALUES_H__
#define PULSOR_TEST_STORED_VALUES_H__

#include <gtest/gtest.h>

#include "update_references.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace stored_values
{

// v as glibc's printf("%a") writes it: the shortest hexadecimal fraction,
// "0x1p+0" for 1, subnormals as 0x0.<fraction>p-1022.
inline std::string HexFloat(double v)
{
	uint64_t bits;
	std::memcpy(&bits, &v, sizeof bits);
	const bool negative = bits >> 63;
	const int exponent = (int)((bits >> 52) & 0x7FF);
	uint64_t fraction = bits & ((uint64_t(1) << 52) - 1);
	std::string out = negative ? "-" : "";
	if (exponent == 0x7FF)
		return fraction ? out + "nan" : out + "inf";
	if (exponent == 0 && fraction == 0)
		return out + "0x0p+0";
	out += exponent == 0 ? "0x0" : "0x1";
	if (fraction)
	{
		out += '.';
		int digits = 13;
		while ((fraction & 0xF) == 0)
		{
			fraction >>= 4;
			--digits;
		}
		for (int i = digits - 1; i >= 0; --i)
			out += "0123456789abcdef"[(fraction >> (4 * i)) & 0xF];
	}
	const int e = exponent == 0 ? -1022 : exponent - 1023;
	out += e < 0 ? "p-" : "p+";
	out += std::to_string(e < 0 ? -e : e);
	return out;
}

inline std::string StoredPath(const std::string& name)
{
	return std::string(PULSOR_SOURCE_DIR) + "/tests/data/portability/" + name;
}

// Named values in the order they were computed.
class Values
{
public:
	void Add(const std::string& key, double v) { values_.emplace_back(key, HexFloat(v)); }
	size_t Size() const { return values_.size(); }

	// Compares with the stored file `name` (or rewrites it when updating):
	// every key must be stored with exactly this text, and no other key.
	void Check(const std::string& name, const std::string& description) const
	{
		const std::string path = StoredPath(name);
		if (pulsor_test::UpdatingReferences())
		{
			std::ofstream out(path, std::ios::binary | std::ios::trunc);
			out << "# " << description << "\n# key value (C99 hexadecimal floating point)\n";
			for (const auto& kv : values_)
				out << kv.first << ' ' << kv.second << '\n';
			ASSERT_TRUE(out.good()) << "could not write " << path;
			std::cout << "rewrote " << path << "\n";
			return;
		}
		std::ifstream in(path, std::ios::binary);
		ASSERT_TRUE(in.good()) << "no stored values " << path;
		std::map<std::string, std::string> stored;
		std::string line;
		while (std::getline(in, line))
		{
			if (!line.empty() && line.back() == '\r')
				line.pop_back();
			if (line.empty() || line[0] == '#')
				continue;
			const size_t space = line.rfind(' ');
			ASSERT_NE(space, std::string::npos) << "malformed line in " << path << ": " << line;
			stored[line.substr(0, space)] = line.substr(space + 1);
		}
		size_t differences = 0;
		std::ostringstream report;
		for (const auto& kv : values_)
		{
			const auto it = stored.find(kv.first);
			const std::string expected = it == stored.end() ? "(not stored)" : it->second;
			if (expected != kv.second && ++differences <= 20)
				report << "  " << kv.first << ": stored " << expected << ", computed " << kv.second << "\n";
			if (it != stored.end())
				stored.erase(it);
		}
		EXPECT_EQ(differences, 0u) << "values differ from " << path << " (first 20):\n" << report.str();
		EXPECT_TRUE(stored.empty()) << stored.size() << " stored values were not computed, e.g. " << stored.begin()->first;
	}

private:
	std::vector<std::pair<std::string, std::string>> values_;
};

} // namespace stored_values

#endif
