// The evaluation engine: pure arithmetic over the tag's container and a frame
// position. Nothing here touches the scene.
#include "engine.h"

#include <atomic>
#include <cmath>
#include <vector>

#include "clamp.h"
#include "link_state.h"
#include "pulsor.h"
#include "tab_list.h"

namespace
{

// A Noise tab without a loop point repeats after this many frames.
const Real kNoisePeriod = 9574.0;

// The shape curve of each modifier type, by PULSOR_TAB_TYPE; Noise and Custom
// take theirs elsewhere, and any other type reads the straight ramp.
const LONG kWaveformCurve[] = {
	PULSOR_CURVE_LINEAR,     // none
	PULSOR_CURVE_LINEAR,     // Noise: not read
	PULSOR_CURVE_SINE,
	PULSOR_CURVE_HUMP,       // Cos
	PULSOR_CURVE_SAWTOOTH,
	PULSOR_CURVE_STEP,       // Square
	PULSOR_CURVE_TRIANGLE,
	PULSOR_CURVE_BOUNCE,
	PULSOR_CURVE_LINEAR,     // Custom: not read
};
static_assert(sizeof(kWaveformCurve) / sizeof(kWaveformCurve[0]) == PULSOR_MOD_COUNT + 1, "one curve per modifier type");

const BaseContainer& EmptyContainer()
{
	static const BaseContainer empty;
	return empty;
}

const BaseContainer& Library(const BaseContainer& data)
{
	const BaseContainer* library = data.GetContainerInstance(PULSOR_CURVE_LIBRARY);
	return library ? *library : EmptyContainer();
}

Real CurveValueAtOne(const SplineData* curve)
{
	// Without a curve the mapping is the straight line, whose value at 1 is 1.
	return curve ? curve->GetPoint(1.0).y : 1.0;
}

} // namespace

// ---- Shared pieces ----------------------------------------------------------

Real FramePosition(const BaseTime& time, Real fps)
{
	const Real t = time.GetNumerator() * fps / time.GetDenominator();
	const Real whole = std::floor(t + 0.5);
	const Real tolerance = 1e-9 * (Abs(whole) > 1.0 ? Abs(whole) : 1.0);
	return Abs(t - whole) <= tolerance ? whole : t;
}

LONG TruncateToLong(Real v)
{
	if (!(v == v))
		return 0;
	if (v >= 2147483647.0)
		return 2147483647;
	if (v <= -2147483648.0)
		return -2147483647 - 1;
	return (LONG)v;
}

LONG FramesOf(const BaseContainer& data, LONG id, Real fps)
{
	return data.GetTime(id).GetFrame(fps);
}

LONG SaturateToLong(LLONG v)
{
	return v > 2147483647 ? 2147483647 : (v < -2147483647 - 1 ? -2147483647 - 1 : (LONG)v);
}

LONG AddFrames(LONG a, LONG b)
{
	return SaturateToLong((LLONG)a + b);
}

const SplineData* LibraryCurve(const BaseContainer& library, LONG id)
{
	return static_cast<const SplineData*>(library.GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
}

const SplineData* TagCurve(const BaseContainer& data, LONG id)
{
	return static_cast<const SplineData*>(data.GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
}

void RefreshOutputRange(BaseContainer* data, BaseDocument& doc, Real fps)
{
	LinkState link;
	ReadLinkState(*data, &link);
	RefreshOutputRange(data, doc, fps, TabList(data->GetContainer(PULSOR_TAB_LIST)), link);
}

void RefreshOutputRange(BaseContainer* data, BaseDocument& doc, Real fps, const TabList& tabs, const LinkState& link)
{
	// How far an additive base has climbed by the end of the document.
	Real climb = 1.0;
	if (data->GetLong(PULSOR_PLAYBACK, 0) == PULSOR_PLAYBACK_ADDITIVE)
	{
		const SplineData* timeCurve = TagCurve(*data, PULSOR_TIME_CURVE);
		if (!timeCurve)
			timeCurve = LibraryCurve(Library(*data), PULSOR_CURVE_LINEAR);
		const LLONG end = doc.GetData(DOCUMENTSETTINGS_GENERAL).GetTime(DOCUMENT_MAXTIME).GetFrame(fps);
		const LLONG offset = FramesOf(*data, PULSOR_TIME_OFFSET, fps);
		const LLONG s = FramesOf(*data, PULSOR_START_TIME, fps) + offset;
		const LLONG e = FramesOf(*data, PULSOR_END_TIME, fps) + offset;
		const LLONG m = (LLONG)Modulo((Real)(end - s), (Real)(e - s));
		const LLONG span = e - s != 0 ? e - s : 1;
		const LLONG n = (end - s - m) / span;
		climb = (Real)n * CurveValueAtOne(timeCurve) + Pulsor::RangeMapper((Real)m, 0.0, (Real)(e - s), 0.0, 1.0, timeCurve, 1, 0, 0);
	}

	Real lo = 0.0;
	Real hi = 0.0;
	if (link.TypeUsable())
	{
		const PulsorValueKind kind = link.mode == PULSOR_MODE_VECTOR ? PULSOR_VALUE_VECTOR : link.row->kind;
		const Channels start = ReadChannels(*data, PULSOR_START_VALUE + link.slot, kind, fps);
		const Channels end = ReadChannels(*data, PULSOR_END_VALUE + link.slot, kind, fps);
		const Real strength = data->GetReal(PULSOR_STRENGTH, 1.0);
		Real mins[3];
		Real maxs[3];
		const LONG count = link.mode == PULSOR_MODE_VECTOR ? 3 : 1;
		for (LONG k = 0; k < count; ++k)
		{
			const Real a = start.v[k];
			const Real b = end.v[k];
			const Real low = a < b ? a : b;
			const Real high = a < b ? b : a;
			mins[k] = low;
			maxs[k] = low + (high - low) * strength * climb;
		}
		for (LONG i = 0; i < tabs.GetCount(); ++i)
		{
			const LONG b = TabBase(tabs[i]);
			const Channels variation = ReadChannels(*data, b + PULSOR_TAB_VARIATION + link.slot, kind, fps);
			const Real g = data->GetReal(b + PULSOR_TAB_STRENGTH, 0.0);
			for (LONG k = 0; k < count; ++k)
			{
				if (data->GetBool(b + PULSOR_TAB_NEGATIVE + k, TRUE))
					mins[k] -= variation.v[k] * g;
				if (data->GetBool(b + PULSOR_TAB_POSITIVE + k, TRUE))
					maxs[k] += variation.v[k] * g;
			}
		}
		lo = mins[0];
		hi = maxs[0];
		for (LONG k = 1; k < count; ++k)
		{
			lo = mins[k] < lo ? mins[k] : lo;
			hi = maxs[k] > hi ? maxs[k] : hi;
		}
	}
	data->SetReal(PULSOR_RANGE_MIN, lo);
	data->SetReal(PULSOR_RANGE_MAX, hi);
}

// ---- Waveforms --------------------------------------------------------------

Real Pulsor::CalculateBaseTab(const BaseContainer* data, Real t, Real startValue, Real endValue, LONG startFrame, LONG endFrame,
	const SplineData* timeCurve, Real strength)
{
	const Real out = startValue + (endValue - startValue) * strength;
	const Real start = (Real)startFrame;
	const Real end = (Real)endFrame;
	switch (data->GetLong(PULSOR_PLAYBACK, 0))
	{
		case PULSOR_PLAYBACK_ONCE:
			return RangeMapper(t, start, end, startValue, out, timeCurve, 0, 1, 1);
		case PULSOR_PLAYBACK_LOOP:
			return RangeMapper(t, start, end, startValue, out, timeCurve, 1, 0, 0);
		case PULSOR_PLAYBACK_PINGPONG:
		{
			const SplineData* triangle = LibraryCurve(Library(*data), PULSOR_CURVE_TRIANGLE);
			const Real u = RangeMapper(t, start, 2.0 * end - start, 0.0, 1.0, triangle, 1, 0, 0);
			return RangeMapper(u, 0.0, 1.0, startValue, out, timeCurve, 1, 1, 1);
		}
		case PULSOR_PLAYBACK_ADDITIVE:
		{
			// A span of no frames would divide by zero: it counts as one frame,
			// as the output range does.
			const Real span = end - start != 0.0 ? end - start : 1.0;
			const Real m = Modulo(t - start, span);
			const Real cycles = (t - start - m) / span;
			return cycles * CurveValueAtOne(timeCurve) * (endValue - startValue) * strength +
				RangeMapper(m, 0.0, span, startValue, out, timeCurve, 1, 0, 0);
		}
		default:
			return 0.0;
	}
}

namespace
{

// The fields of one tab that shape its unit output.
struct ModTabFields
{
	LONG type;
	LONG playback;
	const SplineData* envelope;
	const SplineData* shape;      // null for Noise
	const SplineData* remap;
	Bool uniform;
	Real speed;
	LONG seed;
	Real bias;
};

void ReadModTabFields(const BaseContainer& data, LONG tabBase, const BaseContainer& library, ModTabFields* f)
{
	f->type = data.GetLong(tabBase + PULSOR_TAB_TYPE, PULSOR_MOD_NONE);
	f->playback = data.GetLong(tabBase + PULSOR_TAB_PLAYBACK, PULSOR_TAB_PLAYBACK_ONCE);
	f->envelope = TagCurve(data, tabBase + PULSOR_TAB_STRENGTH_CURVE);
	f->shape = nullptr;
	f->remap = nullptr;
	f->uniform = FALSE;
	f->speed = 0.0;
	f->seed = 1;
	f->bias = 0.0;
	if (f->type == PULSOR_MOD_CUSTOM)
	{
		f->shape = TagCurve(data, tabBase + PULSOR_TAB_CUSTOM_CURVE);
	}
	else if (f->type != PULSOR_MOD_NOISE)
	{
		const bool known = f->type > PULSOR_MOD_NONE && f->type <= PULSOR_MOD_COUNT;
		f->shape = LibraryCurve(library, known ? kWaveformCurve[f->type] : PULSOR_CURVE_LINEAR);
	}
	else
	{
		f->remap = TagCurve(data, tabBase + PULSOR_TAB_REMAP_CURVE);
		f->uniform = data.GetBool(tabBase + PULSOR_TAB_UNIFORM, FALSE);
		f->speed = data.GetReal(tabBase + PULSOR_TAB_SPEED, 0.0);
		f->seed = data.GetLong(tabBase + PULSOR_TAB_SEED, 1);
		f->bias = data.GetReal(tabBase + PULSOR_TAB_BIAS, 0.0);
	}
}

// tt moved into [0, period) when it lies before it; untouched otherwise
// (a period of 0 gives NaN, which fails the test). A remainder keeps the
// sign of tt, so a time not before 0 never moves and needs no division.
Real IntoPeriod(Real tt, Real period)
{
	if (tt >= 0.0)
		return tt;
	const Real wrapped = FMod(tt, period);
	return wrapped < 0.0 ? wrapped + period : tt;
}

// The strength envelope runs on the time without the offset.
Real ModTabEnvelope(const ModTabFields& f, Real t, Real start, Real end, const BaseContainer& library)
{
	switch (f.playback)
	{
		case PULSOR_TAB_PLAYBACK_ONCE:
			return Pulsor::RangeMapper(t, start, end, 0.0, 1.0, f.envelope, 0, 1, 1);
		case PULSOR_TAB_PLAYBACK_LOOP:
			return Pulsor::RangeMapper(Clamped(t - start, 0.0, t), 0.0, end - start, 0.0, 1.0, f.envelope, 1, 0, 0);
		case PULSOR_TAB_PLAYBACK_PINGPONG:
		{
			const SplineData* triangle = LibraryCurve(library, PULSOR_CURVE_TRIANGLE);
			const Real u = Pulsor::RangeMapper(t, start, 2.0 * end - start, 0.0, 1.0, triangle, 1, 0, 0);
			return Pulsor::RangeMapper(u, 0.0, 1.0, 0.0, 1.0, f.envelope, 1, 1, 1);
		}
		default:
			return 1.0;
	}
}

// Components first .. first + count - 1 of one tab, each with its
// negative[i] and positive[i], into unit[i]. The library's curves are looked up
// only where the tab needs them, and what the component does not change is
// evaluated once: the envelope, the waveform's position, Noise's path.
void ModTabValues(const ModTabFields& f, Real t, LONG startFrame, LONG endFrame, LONG offsetFrames, LONG loopFrames,
	const BaseContainer& library, LONG first, LONG count, const LONG* negative, const LONG* positive, Real* unit)
{
	const Real e = ModTabEnvelope(f, t, (Real)startFrame, (Real)endFrame, library);

	if (f.type != PULSOR_MOD_NOISE)
	{
		const Real loop = (Real)loopFrames;
		const Real tt = IntoPeriod(t + (Real)offsetFrames, loop);
		const Real p = Pulsor::RangeMapper(tt, 0.0, loop, 0.0, 1.0, f.shape, 1, 0, 0);
		for (LONG i = 0; i < count; ++i)
		{
			const Real hi = positive[i] ? 1.0 : 0.0;
			const Real lo = negative[i] ? -1.0 : 0.0;
			unit[i] = Pulsor::RangeMapper(p, 0.0, 1.0, lo, hi, nullptr, 0, 0, 0) * e;
		}
		return;
	}

	// Noise walks a closed path through noise space once per period, so it
	// repeats exactly every period.
	const Real period = loopFrames != 0 ? (Real)loopFrames : kNoisePeriod;
	const Real tt = IntoPeriod(t + (Real)offsetFrames, period);
	const Real x = Pulsor::RangeMapper(tt, 0.0, period, 0.0, period, LibraryCurve(library, PULSOR_CURVE_SINE), 1, 0, 0);
	const Real y = Pulsor::RangeMapper(tt, 0.0, period, 0.0, period, LibraryCurve(library, PULSOR_CURVE_HUMP), 1, 0, 0);
	const SplineData* sCurve = LibraryCurve(library, PULSOR_CURVE_S);
	for (LONG i = 0; i < count; ++i)
	{
		const LONG j = f.uniform ? 0 : first + i;
		// Integer products in 64 bits: a seed from a file may be any 32-bit value.
		const Real depth = (Real)((LLONG)f.seed * 10004 + (LLONG)j * 100);
		const Vector point((x * f.speed + j * 1234 - f.seed) / 45.0, (y * f.speed + j * 2314 + f.seed) / 50.0, depth);
		const Real n = Noise(point);
		const Real shaped = Pulsor::RangeMapper(n, 0.0, 1.0, -1.0, 1.0, sCurve, 0, 0, 0);
		const Real blended = Mix(2.0 * n - 1.0, shaped, f.bias);
		const Real v = Pulsor::RangeMapper(blended, -1.0, 1.0, -1.0, 1.0, f.remap, 0, 0, 0);
		const Real hi = positive[i] ? 1.0 : 0.0;
		const Real lo = negative[i] ? -1.0 : 0.0;
		unit[i] = Pulsor::RangeMapper(v, -1.0, 1.0, lo, hi, nullptr, 0, 0, 0) * e;
	}
}

} // namespace

Real Pulsor::CalculateModTab(const BaseContainer* data, Real t, LONG tabBase, LONG startFrame, LONG endFrame, LONG offsetFrames,
	LONG loopFrames, const BaseContainer& library, LONG component, LONG negative, LONG positive)
{
	ModTabFields fields;
	ReadModTabFields(*data, tabBase, library, &fields);
	Real unit;
	ModTabValues(fields, t, startFrame, endFrame, offsetFrames, loopFrames, library, component, 1, &negative, &positive, &unit);
	return unit;
}

void Pulsor::CalculateModTab(const BaseContainer* data, Real t, LONG tabBase, LONG startFrame, LONG endFrame, LONG offsetFrames,
	LONG loopFrames, const BaseContainer& library, LONG count, const LONG* negative, const LONG* positive, Real* unit)
{
	ModTabFields fields;
	ReadModTabFields(*data, tabBase, library, &fields);
	ModTabValues(fields, t, startFrame, endFrame, offsetFrames, loopFrames, library, 0, count < 3 ? count : 3, negative, positive, unit);
}

// ---- Output combination -----------------------------------------------------

namespace
{

// One result that every tag whose result has the same entries writes in
// turn. A scene of thousands of tags then overwrites one result that stays in
// the cache, where each tag's own would come from memory on every frame.
// One evaluation holds it at a time; an evaluation that finds it held, or a
// tag of another layout, uses the tag's own. A layout that has not fitted
// for many evaluations in a row (its tags are gone, or few) gives way to the
// one that did not fit.
struct SharedResult
{
	static const LONG kMisfitsBeforeChange = 1000;

	std::atomic<bool> held{ false };
	LONG misfits = 0;
	// Which entries the result has: they follow from these alone.
	bool adopted = false;
	LONG mode = 0;
	LONG count = 0;
	LONG finalId = 0;
	bool feedback = false;
	bool isBool = false;
	std::vector<LONG> tabs;
	BaseContainer result;

	bool Fits(LONG m, LONG c, LONG f, bool fb, bool b, const TabList& list) const
	{
		if (mode != m || count != c || finalId != f || feedback != fb || isBool != b || tabs.size() != (size_t)list.GetCount())
			return false;
		for (LONG i = 0; i < list.GetCount(); ++i)
			if (tabs[(size_t)i] != list[i])
				return false;
		return true;
	}

	void Adopt(LONG m, LONG c, LONG f, bool fb, bool b, const TabList& list)
	{
		result.FlushAll();
		mode = m;
		count = c;
		finalId = f;
		feedback = fb;
		isBool = b;
		tabs.clear();
		tabs.reserve((size_t)list.GetCount());
		for (LONG i = 0; i < list.GetCount(); ++i)
			tabs.push_back(list[i]);
		adopted = true;
	}
};

SharedResult& Shared()
{
	static SharedResult shared;
	return shared;
}

// The shared result, taken, when it is free and has (or may take) the
// entries of this layout; null otherwise.
BaseContainer* TakeSharedResult(LONG mode, LONG count, LONG finalId, bool feedback, bool isBool, const TabList& tabs)
{
	SharedResult& shared = Shared();
	if (shared.held.exchange(true, std::memory_order_acquire))
		return nullptr;
	if (shared.adopted && shared.Fits(mode, count, finalId, feedback, isBool, tabs))
	{
		shared.misfits = 0;
		return &shared.result;
	}
	if (!shared.adopted || ++shared.misfits > SharedResult::kMisfitsBeforeChange)
	{
		shared.Adopt(mode, count, finalId, feedback, isBool, tabs);
		shared.misfits = 0;
		return &shared.result;
	}
	shared.held.store(false, std::memory_order_release);
	return nullptr;
}

void ReleaseSharedResult(bool forget)
{
	SharedResult& shared = Shared();
	if (forget)
		shared.adopted = false;
	shared.held.store(false, std::memory_order_release);
}

} // namespace

BaseContainer Pulsor::CalculateOutput(const BaseContainer* data, BaseDocument* doc, Real t, LONG feedback)
{
	if (!data || !doc)
		return BaseContainer();
	LinkState link;
	ReadLinkState(*data, &link);
	return CalculateOutput(data, doc, t, feedback, link);
}

BaseContainer Pulsor::CalculateOutput(const BaseContainer* data, BaseDocument* doc, Real t, LONG feedback, const LinkState& link)
{
	if (!link.Computable())
		return BaseContainer();

	const PulsorValueKind kind = link.row->kind;
	const bool isVector = kind == PULSOR_VALUE_VECTOR;
	const bool isLong = kind == PULSOR_VALUE_LONG;
	const Real fps = (Real)doc->GetFps();
	const BaseContainer& library = Library(*data);

	const Real lo = data->GetReal(PULSOR_RANGE_MIN, 0.0);
	const Real hi = data->GetReal(PULSOR_RANGE_MAX, 0.0);
	const Real h = Abs((hi - lo) / 2.0);
	const LONG offset = FramesOf(*data, PULSOR_TIME_OFFSET, fps);
	const LONG startFrame = AddFrames(FramesOf(*data, PULSOR_START_TIME, fps), offset);
	const LONG endFrame = AddFrames(FramesOf(*data, PULSOR_END_TIME, fps), offset);
	const SplineData* timeCurve = TagCurve(*data, PULSOR_TIME_CURVE);
	if (!timeCurve)
		timeCurve = LibraryCurve(library, PULSOR_CURVE_LINEAR);
	const Real strength = data->GetReal(PULSOR_STRENGTH, 1.0);
	const Real volume = data->GetReal(PULSOR_VOLUME, 1.0);

	const Channels start = ReadChannels(*data, PULSOR_START_VALUE + link.slot, kind, fps);
	const Channels end = ReadChannels(*data, PULSOR_END_VALUE + link.slot, kind, fps);
	const LONG count = start.count;
	Real base[3];
	Real sum[3] = { 0.0, 0.0, 0.0 };
	for (LONG k = 0; k < count; ++k)
	{
		base[k] = CalculateBaseTab(data, t, start.v[k], end.v[k], startFrame, endFrame, timeCurve, strength);
		if (isLong)
			base[k] = std::trunc(base[k]);
	}

	const LONG finalId = PULSOR_FINAL_OUTPUT + link.slot;
	const bool isBool = link.row->linkType == DTYPE_BOOL;
	const BaseContainer* listContainer = data->GetContainerInstance(PULSOR_TAB_LIST);
	const TabList& tabs = tabs_.Of(listContainer ? *listContainer : EmptyContainer());
	// Every entry is written below, so a kept result of the same layout is
	// overwritten in place; one of another layout is found out at the end.
	BaseContainer* shared = TakeSharedResult(link.mode, count, finalId, feedback != 0, isBool, tabs);
	BaseContainer& out = shared ? *shared : result_;
	const bool kept = out.GetIndexData(0) != nullptr;

	// The global entries come before every tab's in id order. Holding their
	// places now lets every later write append or overwrite, instead of
	// inserting in front of the tabs' displays. A kept result has them.
	if (!kept)
	{
		for (LONG k = 0; feedback && k < count; ++k)
			out.SetReal(PULSOR_MASTER_DISPLAY + link.mode + k, 0.0);
		for (LONG k = 0; feedback && k < count; ++k)
			out.SetReal(PULSOR_BASE_DISPLAY + link.mode + k, 0.0);
		out.SetReal(finalId, 0.0);
		if (isBool)
			out.SetReal(PULSOR_THRESHOLD_DISTANCE, 0.0);
	}

	for (LONG i = 0; i < tabs.GetCount(); ++i)
	{
		const LONG b = TabBase(tabs[i]);
		const Real tabStrength = data->GetReal(b + PULSOR_TAB_STRENGTH, 0.0);
		const Channels variation = ReadChannels(*data, b + PULSOR_TAB_VARIATION + link.slot, kind, fps);
		const LONG tabStart = FramesOf(*data, b + PULSOR_TAB_START_TIME, fps);
		const LONG tabEnd = FramesOf(*data, b + PULSOR_TAB_END_TIME, fps);
		const LONG tabOffset = FramesOf(*data, b + PULSOR_TAB_TIME_OFFSET, fps);
		const LONG tabLoop = FramesOf(*data, b + PULSOR_TAB_LOOP_POINT, fps);
		LONG negative[3];
		LONG positive[3];
		for (LONG k = 0; k < count; ++k)
		{
			negative[k] = data->GetBool(b + PULSOR_TAB_NEGATIVE + k, FALSE) ? 1 : 0;
			positive[k] = data->GetBool(b + PULSOR_TAB_POSITIVE + k, FALSE) ? 1 : 0;
		}
		Real units[3];
		CalculateModTab(data, t, b, tabStart, tabEnd, tabOffset, tabLoop, library, count, negative, positive, units);
		Real unitDisplay[3];
		Real outputDisplay[3];
		for (LONG k = 0; k < count; ++k)
		{
			const Real u = units[k];
			Real q;
			if (isVector)
			{
				// A vector's feedback shows the swing before the tab's strength.
				q = u * variation.v[k];
				const Real span = Abs(variation.v[k]);
				unitDisplay[k] = RangeMapper(q, -span, span, -1.0, 1.0, nullptr, 0, 0, 0);
				q *= tabStrength;
			}
			else
			{
				q = u * tabStrength * variation.v[0];
				if (isLong)
					q = std::trunc(q);
				const Real span = Abs(variation.v[0] * tabStrength);
				unitDisplay[k] = RangeMapper(q, -span, span, -1.0, 1.0, nullptr, 0, 0, 0);
			}
			outputDisplay[k] = RangeMapper(q, -h, h, 0.0, 1.0, nullptr, 0, 0, 0);
			sum[k] += q;
		}
		// In ascending id order, so that the result container only appends.
		if (feedback)
		{
			for (LONG k = 0; k < count; ++k)
				out.SetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + link.mode + k, unitDisplay[k]);
			for (LONG k = 0; k < count; ++k)
				out.SetReal(b + PULSOR_TAB_OUTPUT_DISPLAY + link.mode + k, outputDisplay[k]);
		}
	}

	Real total[3];
	for (LONG k = 0; k < count; ++k)
	{
		if (feedback)
		{
			out.SetReal(PULSOR_BASE_DISPLAY + link.mode + k, RangeMapper(base[k], lo, hi, 0.0, 1.0, nullptr, 0, 0, 0));
			out.SetReal(PULSOR_MASTER_DISPLAY + link.mode + k, RangeMapper(sum[k] + base[k], lo, hi, 0.0, 1.0, nullptr, 0, 0, 0));
		}
		total[k] = (sum[k] + base[k]) * volume;
	}

	link.row->storeOutput(*data, total, fps, finalId, &out);

	// The entries written: the displays of the base, the master and each
	// tab with feedback, the final output, and a bool's distance.
	const LONG written = (feedback ? 2 * count * (1 + tabs.GetCount()) : 0) + 1 + (isBool ? 1 : 0);
	if (kept && (out.GetIndexData(written - 1) == nullptr || out.GetIndexData(written) != nullptr))
	{
		// Entries of an earlier layout are left over: start afresh.
		out.FlushAll();
		if (shared)
			ReleaseSharedResult(true);
		return CalculateOutput(data, doc, t, feedback, link);
	}
	// The caller's copy shares the entries; a later write into the shared
	// result while the caller still holds it takes a store of its own.
	const BaseContainer result = out;
	if (shared)
		ReleaseSharedResult(false);
	return result;
}
