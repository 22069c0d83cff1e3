#include "recorder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "parameter_paths.h"
#include "pulsor_ids.h"
#include "tag_edits.h"
#include "tag_link.h"

namespace
{

const double kMissing = std::numeric_limits<double>::quiet_NaN();
const size_t kMaxFrames = 1000000;

// What one linked parameter contributes to a row.
struct Probe
{
	BaseTag* tag;
	BaseList2D* element;
	ParameterPath path;
};

// The values of data: one number, or three for a vector unless component
// picks one of them; NaN where data holds no number.
void AppendValues(const GeData& data, LONG component, size_t count, std::vector<double>* row)
{
	const size_t start = row->size();
	switch (data.GetType())
	{
		case DA_LONG: row->push_back((double)data.GetLong()); break;
		case DA_REAL: row->push_back(data.GetReal()); break;
		case DA_TIME: row->push_back(data.GetTime().Get()); break;
		case DA_VECTOR:
		{
			const Vector v = data.GetVector();
			if (component == VECTOR_X || component == VECTOR_Y || component == VECTOR_Z)
				row->push_back(component == VECTOR_X ? v.x : component == VECTOR_Y ? v.y : v.z);
			else if (count == 3)
				row->insert(row->end(), { v.x, v.y, v.z });
			break;
		}
		default: break;
	}
	if (row->size() - start != count)
		row->resize(start + count, kMissing);
}

std::vector<Probe> Probes(BaseDocument* doc)
{
	std::vector<Probe> probes;
	for (BaseTag* tag : PulsorTags(doc))
	{
		DescID id;
		BaseList2D* element = LinkedParameterOf(tag, &id) ? LinkedElementOf(tag, doc) : nullptr;
		if (!element)
			continue;
		std::string problem;
		ParameterPath path;
		if (!ParsePath(*element, PathOf(*element, id), &path, &problem))
			continue;
		probes.push_back(Probe{ tag, element, path });
	}
	return probes;
}

std::string TagName(const BaseTag* tag)
{
	return tag->GetName().GetStdString();
}

} // namespace

namespace
{

// The option that set a value, else the scene file; problem follows "the"
// or "the scene's".
InputError Blame(const RunRange& range, const char* option, bool given, const std::string& problem)
{
	if (given || range.file.empty())
		return InputError{ "pulsorhost", option, "the " + problem };
	return InputError{ range.file, "", "the scene's " + problem };
}

} // namespace

std::vector<double> FramesOf(const RunRange& range)
{
	if (!(range.step > 0.0) || !std::isfinite(range.step))
		throw InputError{ "pulsorhost", "--step", "the step must be a positive number of frames" };
	if (!std::isfinite(range.from))
		throw Blame(range, "--from", range.fromGiven, "first frame is not a number");
	if (!std::isfinite(range.to))
		throw Blame(range, "--to", range.toGiven, "last frame is not a number");
	if (range.to < range.from)
	{
		// Of two frames, the one the command line gave is the one to change.
		if (range.toGiven || !range.fromGiven)
			throw Blame(range, "--to", range.toGiven, "range ends before it starts");
		throw Blame(range, "--from", true, "range ends before it starts");
	}
	const double count = std::floor((range.to - range.from) / range.step + 1e-9) + 1.0;
	if (count > (double)kMaxFrames)
	{
		const std::string problem = "more than a million frames";
		if (range.stepGiven || range.file.empty())
			throw InputError{ "pulsorhost", "--step", problem };
		if (range.toGiven || range.fromGiven)
			throw InputError{ "pulsorhost", range.toGiven ? "--to" : "--from", problem };
		throw InputError{ range.file, "", "the scene's range holds " + problem };
	}
	std::vector<double> frames;
	for (size_t i = 0; i < (size_t)count; ++i)
		frames.push_back(range.from + (double)i * range.step);
	return frames;
}

double FrameWork(BaseDocument* doc)
{
	double work = 2.0 + (double)doc->GetMaterialCount();
	for (LONG i = 0; i < doc->GetObjectCount(); ++i)
		work += 1.0 + (double)doc->GetObjectByIndex(i)->GetTagCount();
	for (BaseTag* tag : PulsorTags(doc))
		work += kTagWork * (1.0 + (double)TabCount(tag));
	return work;
}

double BakeFrames(BaseDocument* doc, BaseTag* tag)
{
	const BaseContainer& data = *tag->GetDataInstance();
	const LONG fps = doc->GetFps();
	const bool keyRange = data.GetBool(PULSOR_KEY_SEQUENCE, FALSE);
	const double first = (keyRange ? data.GetTime(PULSOR_KEY_FROM) : doc->GetMinTime()).Get() * fps;
	const double last = (keyRange ? data.GetTime(PULSOR_KEY_TO) : doc->GetMaxTime()).Get() * fps;
	const double frames = std::isfinite(last - first) ? std::max(0.0, std::floor(last - first) + 1.0) : 0.0;
	// The tag refuses a range longer than it bakes before it does any work.
	// One frame of slack: the tag counts whole frames of its own, and a range
	// on the border is better charged than let through unbudgeted.
	return frames > (double)kMaxFrames + 1.0 ? 0.0 : frames;
}

void CheckWork(const Scene& scene, double frames, const std::string& what)
{
	const double work = frames * FrameWork(scene.doc.get());
	if (work <= kMostWork)
		return;
	throw InputError{ scene.file, "", what + " of " + std::to_string((long long)frames) + " frames of this scene is more work than one run may take (fewer frames, tags or tabs)" };
}

Recording RecordScene(Scene& scene, const std::vector<double>& frames, const std::vector<LONG>& entries)
{
	BaseDocument* doc = scene.doc.get();
	Recording rec;
	rec.table.columns = { "frame", "time" };
	const std::vector<Probe> probes = Probes(doc);
	for (const Probe& p : probes)
		for (const std::string& name : ColumnNames(TagName(p.tag) + "." + PathOf(*p.element, p.path.ToDescID()), p.path))
		{
			rec.table.columns.push_back(name);
			rec.columnTags.push_back(p.tag);
		}
	rec.linkedColumns = rec.table.columns.size() - 2;
	const std::vector<BaseTag*> tags = PulsorTags(doc);
	// An entry is one column, or three when it holds a vector at the first
	// frame.
	std::vector<size_t> entryWidth;

	for (size_t f = 0; f < frames.size(); ++f)
	{
		doc->SetTime(BaseTime(frames[f], scene.fps));
		doc->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
		std::vector<double> row = { frames[f], frames[f] / scene.fps };
		for (const Probe& p : probes)
		{
			GeData value;
			p.element->GetParameter(DescID(DescLevel(p.path.id, p.path.dtype, 0)), value, DESCFLAGS_GET_0);
			AppendValues(value, p.path.component, p.path.IsVectorValued() ? 3 : 1, &row);
		}
		size_t e = 0;
		for (BaseTag* tag : tags)
		{
			for (LONG id : entries)
			{
				const GeData& value = tag->GetDataInstance()->GetData(id);
				if (f == 0)
				{
					const std::string base = TagName(tag) + ".#" + std::to_string(id);
					entryWidth.push_back(value.GetType() == DA_VECTOR ? 3 : 1);
					if (entryWidth.back() == 3)
						rec.table.columns.insert(rec.table.columns.end(), { base + ".x", base + ".y", base + ".z" });
					else
						rec.table.columns.push_back(base);
				}
				AppendValues(value, -1, entryWidth[e++], &row);
			}
		}
		rec.table.rows.push_back(row);
	}
	return rec;
}

Table BakedKeys(const Scene& scene, BaseTag* tag)
{
	Table table;
	table.columns = { "frame", "time" };
	BaseDocument* doc = scene.doc.get();
	DescID id;
	BaseList2D* element = LinkedParameterOf(tag, &id) ? LinkedElementOf(tag, doc) : nullptr;
	if (!element)
		return table;
	// Each track fills one column, or three when its keys hold vectors.
	std::vector<CTrack*> tracks;
	std::vector<size_t> firstColumn, width;
	for (LONG i = 0; i < element->GetTrackCount(); ++i)
	{
		CTrack* track = element->GetTrackByIndex(i);
		const DescID& tid = track->GetDescriptionID();
		// The linked parameter's own track, or its components' tracks.
		if (tid[0].id != id[0].id || (id.GetDepth() > 1 && !(tid == id)))
			continue;
		const CKey* first = track->GetCurve()->GetKey(0);
		const bool vector = first && first->GetGeData().GetType() == DA_VECTOR;
		const std::string base = TagName(tag) + "." + PathOf(*element, tid);
		tracks.push_back(track);
		firstColumn.push_back(table.columns.size());
		width.push_back(vector ? 3 : 1);
		if (vector)
			table.columns.insert(table.columns.end(), { base + ".x", base + ".y", base + ".z" });
		else
			table.columns.push_back(base);
	}
	std::map<double, std::vector<double>> rows;
	for (size_t t = 0; t < tracks.size(); ++t)
	{
		CCurve* curve = tracks[t]->GetCurve();
		for (LONG k = 0; k < curve->GetKeyCount(); ++k)
		{
			const CKey* key = curve->GetKey(k);
			const double seconds = key->GetTime().Get();
			std::vector<double>& row = rows[seconds];
			if (row.empty())
			{
				const double frame = key->GetTime().GetNumerator() * scene.fps / key->GetTime().GetDenominator();
				row = { frame, seconds };
				row.resize(table.columns.size(), kMissing);
			}
			std::vector<double> value;
			AppendValues(key->GetGeData(), -1, width[t], &value);
			std::copy(value.begin(), value.end(), row.begin() + (std::ptrdiff_t)firstColumn[t]);
		}
	}
	for (auto& r : rows)
		table.rows.push_back(r.second);
	return table;
}
