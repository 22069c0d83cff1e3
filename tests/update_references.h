// The one switch that rewrites every stored reference of the tests (stored
// values, reference pages, the program's reference output) instead of
// comparing with it:
//
//   PULSOR_UPDATE_REFERENCES=1 ctest --test-dir build
//
// or one test program with a --gtest_filter. Review the difference of the
// rewritten files before committing them: they are what the output should
// be, not what it happens to be.
#ifndef PULSOR_TEST_UPDATE_REFERENCES_H__
#define PULSOR_TEST_UPDATE_REFERENCES_H__

#include <cstdlib>
#include <cstring>

namespace pulsor_test
{

// True when PULSOR_UPDATE_REFERENCES is "1"; any other value compares.
inline bool UpdatingReferences()
{
	const char* update = std::getenv("PULSOR_UPDATE_REFERENCES");
	return update && std::strcmp(update, "1") == 0;
}

} // namespace pulsor_test

#endif
