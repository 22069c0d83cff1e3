// Evaluating a scene frame by frame and recording what the Pulsor tags
// write, and reading back the keys that baking made.
#ifndef PULSORHOST_RECORDER_H__
#define PULSORHOST_RECORDER_H__

#include <string>
#include <vector>

#include "output.h"
#include "scene.h"

struct RunRange
{
	double from = 0.0;
	double to = 0.0;
	double step = 1.0;
	// Where from and to came from when the command line did not give them:
	// the scene file. Problems of the range are told to whoever set it.
	std::string file;
	bool fromGiven = true, toGiven = true, stepGiven = true;
};

// The frames of a range: from, from + step, ... up to to, each computed
// from its index so that fractional steps do not drift. Throws InputError
// for a step that is not positive, a range that ends before it starts or
// one of more than a million frames, naming the option ("pulsorhost") or
// the scene file that set what is wrong.
std::vector<double> FramesOf(const RunRange& range);

// ---- How much work a scene asks for ----------------------------------------
//
// In units of about a microsecond on a small machine: evaluating a frame
// costs a unit per element and kTagWork per Pulsor tag and per modifier tab;
// an edit of a tag costs kEditWork per tab (its page is built anew). A
// command does at most kMostWork of each (reading, evaluating), so that any
// scene either runs in seconds or is refused.
const double kTagWork = 8.0;
const double kEditWork = 100.0;
const double kMostWork = 6.0e6;

// The work of evaluating the document at one frame.
double FrameWork(BaseDocument* doc);

// The frames tag bakes: its key range when "Key Sequence" is on, else the
// document's; none for a range the tag refuses as too long.
double BakeFrames(BaseDocument* doc, BaseTag* tag);

// Throws InputError naming the scene file when frames evaluations of it
// are more than kMostWork.
void CheckWork(const Scene& scene, double frames, const std::string& what);

struct Recording
{
	// frame, time, then one column per linked value component, then the
	// requested entries.
	Table table;
	// How many columns after frame and time hold linked values (the rest
	// are entries).
	size_t linkedColumns = 0;
	// The tag of each of those columns.
	std::vector<BaseTag*> columnTags;
};

// Evaluates the scene at each frame (ExecutePasses) and records the value of
// each Pulsor tag's linked parameter, then each requested entry of each tag.
Recording RecordScene(Scene& scene, const std::vector<double>& frames, const std::vector<LONG>& entries);

// The keys on the tracks of tag's linked parameter: frame, time, then one
// column per track; a track without a key at a row's time leaves the cell
// empty.
Table BakedKeys(const Scene& scene, BaseTag* tag);

#endif
