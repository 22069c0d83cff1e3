#include "link_types.h"

#include "engine.h"

Channels ReadChannels(const BaseContainer& data, LONG id, PulsorValueKind kind, Real fps)
{
	Channels c = { { 0.0, 0.0, 0.0 }, 1 };
	switch (kind)
	{
		case PULSOR_VALUE_REAL: c.v[0] = data.GetReal(id); break;
		case PULSOR_VALUE_LONG: c.v[0] = (Real)data.GetLong(id); break;
		case PULSOR_VALUE_TIME: c.v[0] = (Real)FramesOf(data, id, fps); break;
		case PULSOR_VALUE_VECTOR:
		{
			const Vector v = data.GetVector(id);
			c.v[0] = v.x;
			c.v[1] = v.y;
			c.v[2] = v.z;
			c.count = 3;
			break;
		}
	}
	return c;
}

namespace
{

// The end value as the parameter gave it; only a bool is stored as a real.
void SeedEndAsGiven(BaseContainer* data, LONG end, const GeData& current)
{
	data->SetData(end, current);
}

// ---- Bool: a real block of 0.0 or 1.0; the output is a threshold test ------

void StoreBool(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out)
{
	(void)fps;
	const Real distance = total[0] - data.GetReal(PULSOR_THRESHOLD, 0.0);
	out->SetReal(PULSOR_THRESHOLD_DISTANCE, distance);
	const bool on = distance > 0.0;
	out->SetBool(id, data.GetBool(PULSOR_INVERT, FALSE) ? !on : on);
}

GeData WriteBool(const GeData& output, const GeData& own, Real fps)
{
	(void)own;
	(void)fps;
	return GeData((LONG)(output.GetBool() ? 1 : 0));
}

void ZeroReal(BaseContainer* data, LONG id)
{
	data->SetReal(id, 0.0);
}

void HalveReal(BaseContainer* data, LONG variation, LONG end)
{
	data->SetReal(variation, data->GetReal(end) / 2.0);
}

void SeedBoolEnd(BaseContainer* data, LONG end, const GeData& current)
{
	data->SetReal(end, current.GetBool() ? 1.0 : 0.0);
}

void SeedBoolTab(BaseContainer* data, LONG variation, const GeData& current, Real fps)
{
	(void)fps;
	data->SetReal(variation, (current.GetBool() ? 1.0 : 0.0) / 2.0);
}

// ---- Real -----------------------------------------------------------------

void StoreReal(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out)
{
	(void)data;
	(void)fps;
	out->SetReal(id, total[0]);
}

GeData WriteReal(const GeData& output, const GeData& own, Real fps)
{
	(void)fps;
	return GeData(output.GetReal() + own.GetReal());
}

void SeedRealTab(BaseContainer* data, LONG variation, const GeData& current, Real fps)
{
	(void)fps;
	data->SetReal(variation, current.GetReal() / 2.0);
}

// ---- Integer ----------------------------------------------------------------

void StoreLong(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out)
{
	(void)data;
	(void)fps;
	out->SetLong(id, TruncateToLong(total[0]));
}

GeData WriteLong(const GeData& output, const GeData& own, Real fps)
{
	(void)fps;
	return GeData(SaturateToLong((LLONG)output.GetLong() + own.GetLong()));
}

void ZeroLong(BaseContainer* data, LONG id)
{
	data->SetLong(id, 0);
}

// A new tab halves the end value; a new link swings by the whole value.
void HalveLong(BaseContainer* data, LONG variation, LONG end)
{
	data->SetLong(variation, data->GetLong(end) / 2);
}

void SeedLongTab(BaseContainer* data, LONG variation, const GeData& current, Real fps)
{
	(void)fps;
	data->SetLong(variation, current.GetLong());
}

// ---- Time -------------------------------------------------------------------

void StoreTime(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out)
{
	(void)data;
	out->SetTime(id, BaseTime(total[0], fps));
}

GeData WriteTime(const GeData& output, const GeData& own, Real fps)
{
	const BaseTime ownTime = own.GetType() == DA_TIME ? own.GetTime() : BaseTime(0.0, fps);
	return GeData(output.GetTime() + ownTime);
}

void ZeroTime(BaseContainer* data, LONG id)
{
	data->SetTime(id, BaseTime(0.0));
}

// A new tab halves the exact time; a new link halves the whole frames.
void HalveTime(BaseContainer* data, LONG variation, LONG end)
{
	const BaseTime t = data->GetTime(end);
	data->SetTime(variation, BaseTime(t.GetNumerator() / 2.0, t.GetDenominator()));
}

void SeedTimeTab(BaseContainer* data, LONG variation, const GeData& current, Real fps)
{
	data->SetTime(variation, BaseTime((Real)(current.GetTime().GetFrame(fps) / 2), fps));
}

// ---- Vector and colour --------------------------------------------------------

void StoreVector(const BaseContainer& data, const Real* total, Real fps, LONG id, BaseContainer* out)
{
	(void)data;
	(void)fps;
	out->SetVector(id, Vector(total[0], total[1], total[2]));
}

GeData WriteVector(const GeData& output, const GeData& own, Real fps)
{
	(void)fps;
	return GeData(output.GetVector() + own.GetVector());
}

void ZeroVector(BaseContainer* data, LONG id)
{
	data->SetVector(id, Vector());
}

void HalveVector(BaseContainer* data, LONG variation, LONG end)
{
	data->SetVector(variation, data->GetVector(end) / 2.0);
}

void SeedVectorTab(BaseContainer* data, LONG variation, const GeData& current, Real fps)
{
	(void)fps;
	data->SetVector(variation, current.GetVector() / 2.0);
}

const LinkTypeRow kLinkTypes[] = {
	{ DTYPE_BOOL, PULSOR_SLOT_BOOL, PULSOR_MODE_SINGLE, PULSOR_VALUE_REAL,
		StoreBool, WriteBool, ZeroReal, HalveReal, SeedBoolEnd, SeedBoolTab },
	{ DTYPE_REAL, PULSOR_SLOT_REAL, PULSOR_MODE_SINGLE, PULSOR_VALUE_REAL,
		StoreReal, WriteReal, ZeroReal, HalveReal, SeedEndAsGiven, SeedRealTab },
	{ DTYPE_COLOR, PULSOR_SLOT_COLOR, PULSOR_MODE_VECTOR, PULSOR_VALUE_VECTOR,
		StoreVector, WriteVector, ZeroVector, HalveVector, SeedEndAsGiven, SeedVectorTab },
	{ DTYPE_LONG, PULSOR_SLOT_LONG, PULSOR_MODE_LONG, PULSOR_VALUE_LONG,
		StoreLong, WriteLong, ZeroLong, HalveLong, SeedEndAsGiven, SeedLongTab },
	{ DTYPE_TIME, PULSOR_SLOT_TIME, PULSOR_MODE_SINGLE, PULSOR_VALUE_TIME,
		StoreTime, WriteTime, ZeroTime, HalveTime, SeedEndAsGiven, SeedTimeTab },
	{ DTYPE_VECTOR, PULSOR_SLOT_VECTOR, PULSOR_MODE_VECTOR, PULSOR_VALUE_VECTOR,
		StoreVector, WriteVector, ZeroVector, HalveVector, SeedEndAsGiven, SeedVectorTab },
};

} // namespace

const LinkTypeRow* FindLinkType(LONG linkType)
{
	for (const LinkTypeRow& row : kLinkTypes)
		if (row.linkType == linkType)
			return &row;
	return nullptr;
}

void ZeroBlock(BaseContainer* data, LONG start, LONG skipSlot)
{
	for (const LinkTypeRow& row : kLinkTypes)
		if (row.slot != skipSlot)
			row.zero(data, start + row.slot);
}
