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
};

// The frames of a range: from, from + step, ... up to to, each computed
// from its index so that fractional steps do not drift. Throws InputError
// (file "pulsorhost") for a step that is not positive or makes more than a
// million frames.
std::vector<double> FramesOf(const RunRange& range);

struct Recording
{
	// frame, time, then one column per linked value component, then the
	// requested entries.
	Table table;
	// How many columns after frame and time hold linked values (the rest
	// are entries).
	size_t linkedColumns = 0;
};

// Evaluates the scene at each frame (ExecutePasses) and records the value of
// each Pulsor tag's linked parameter, then each requested entry of each tag.
Recording RecordScene(Scene& scene, const std::vector<double>& frames, const std::vector<LONG>& entries);

// The keys on the tracks of tag's linked parameter: frame, time, then one
// column per track; a track without a key at a row's time leaves the cell
// empty.
Table BakedKeys(const Scene& scene, BaseTag* tag);

#endif
