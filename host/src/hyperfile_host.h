// Host-side control of container files, for the scene layer and embedding
// programs; modules never see it. Links have a header of their own
// (file_links.h).
#ifndef HYPERFILE_HOST_H__
#define HYPERFILE_HOST_H__

#include <cstdint>
#include <string>
#include <vector>

#include "c4d_hyperfile.h"

// Why the most recent failed step of any HyperFile (open, read, write or
// close) failed, and (in *file) the file's path; empty when none failed since
// the last clearing. A module that drove the file only saw FALSE, so clear it
// before the step whose outcome is wanted.
std::string HyperFileLastProblem(std::string* file = nullptr);
void HyperFileClearLastProblem();

// True when hf is open for reading, no read of it failed and every byte of
// the file has been read: a format of a fixed number of containers refuses a
// file with more in it.
bool HyperFileReadToEnd(HyperFile* hf);

// Container files in memory, for copies that touch no disk. A file opened
// with HyperFileOpenMemoryWrite puts its bytes in *bytes when it closes
// whole (and leaves *bytes alone otherwise); one opened with
// HyperFileOpenMemoryRead reads bytes as Open reads a file. False, with the
// last problem set, when the bytes are no container file of kind ident.
bool HyperFileOpenMemoryWrite(HyperFile* hf, LONG ident, std::vector<uint8_t>* bytes);
bool HyperFileOpenMemoryRead(HyperFile* hf, LONG ident, const std::vector<uint8_t>& bytes);

#endif
