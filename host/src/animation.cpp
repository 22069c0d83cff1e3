#include "c4d_canimation.h"

#include <algorithm>
#include <cmath>

namespace
{

Real Lerp(Real a, Real b, Real f)
{
	return a + (b - a) * f;
}

// Between two keys: linear for reals, vectors and times; otherwise the
// earlier key holds (integers and bools step).
GeData Interpolate(const GeData& a, const GeData& b, Real f)
{
	if (a.GetType() != b.GetType())
		return a;
	switch (a.GetType())
	{
		case DA_REAL: return GeData(Lerp(a.GetReal(), b.GetReal(), f));
		case DA_VECTOR:
		{
			const Vector va = a.GetVector();
			const Vector vb = b.GetVector();
			return GeData(Vector(Lerp(va.x, vb.x, f), Lerp(va.y, vb.y, f), Lerp(va.z, vb.z, f)));
		}
		case DA_TIME: return GeData(BaseTime(Lerp(a.GetTime().Get(), b.GetTime().Get(), f)));
		default: return a;
	}
}

} // namespace

void CKey::SetTime(CCurve* seq, const BaseTime& t)
{
	time_ = t;
	if (seq)
		seq->Sort();
}

void CKey::SetValue(CCurve* seq, Real v)
{
	(void)seq;
	value_ = GeData(v);
}

void CKey::SetGeData(CCurve* seq, const GeData& d)
{
	(void)seq;
	value_ = d;
}

CCurve::~CCurve()
{
	FlushKeys();
}

void CCurve::Sort()
{
	std::stable_sort(keys_.begin(), keys_.end(), [](const CKey* a, const CKey* b) { return a->time_ < b->time_; });
}

CKey* CCurve::FindKey(const BaseTime& t) const
{
	for (CKey* key : keys_)
		if (key->time_ == t)
			return key;
	return nullptr;
}

CKey* CCurve::AddKey(const BaseTime& t)
{
	if (!std::isfinite(t.Get()))
		return nullptr;
	// The keys are always sorted (here and in CKey::SetTime), so a binary
	// search finds the key at t or the new key's place: recording one key per
	// frame stays fast for long ranges.
	auto at = std::lower_bound(keys_.begin(), keys_.end(), t, [](const CKey* k, const BaseTime& v) { return k->time_ < v; });
	if (at != keys_.end() && (*at)->time_ == t)
		return *at;
	CKey* key = new CKey;
	key->time_ = t;
	keys_.insert(at, key);
	return key;
}

Bool CCurve::DelKey(LONG index)
{
	CKey* key = GetKey(index);
	if (!key)
		return FALSE;
	keys_.erase(keys_.begin() + index);
	delete key;
	return TRUE;
}

void CCurve::FlushKeys()
{
	for (CKey* key : keys_)
		delete key;
	keys_.clear();
}

GeData CCurve::GetValue(const BaseTime& t) const
{
	if (keys_.empty())
		return GeData();
	const Real s = t.Get();
	if (!(s > keys_.front()->time_.Get()))
		return keys_.front()->value_;
	if (!(s < keys_.back()->time_.Get()))
		return keys_.back()->value_;
	auto next = std::upper_bound(keys_.begin(), keys_.end(), s, [](Real v, const CKey* k) { return v < k->time_.Get(); });
	const CKey* b = *next;
	const CKey* a = *(next - 1);
	const Real span = b->time_.Get() - a->time_.Get();
	const Real f = span > 0.0 ? (s - a->time_.Get()) / span : 0.0;
	return Interpolate(a->value_, b->value_, f);
}

CTrack* CTrack::Alloc(BaseList2D* bl, const DescID& id)
{
	(void)bl;
	if (id.GetDepth() < 1)
		return nullptr;
	return new CTrack(id);
}

// The type the host gives every track.
const LONG kTrackType = 5350;

CTrack::CTrack(const DescID& id) : GeListNode(kTrackType, kTrackType), id_(id), owner_(nullptr) {}

void CTrack::Free(CTrack*& track)
{
	if (track)
		track->Remove();
	delete track;
	track = nullptr;
}

CTrack::~CTrack() {}

void CTrack::RemoveFromParent()
{
	if (owner_)
		owner_->DetachTrack(this);
}
