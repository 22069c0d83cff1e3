// Animation tracks: one track per animated parameter, holding a curve of keys.
#ifndef C4D_CANIMATION_H__
#define C4D_CANIMATION_H__

#include <vector>

#include "c4d_baselist.h"

class CCurve;

class CKey
{
public:
	BaseTime GetTime() const { return time_; }
	void SetTime(CCurve* seq, const BaseTime& t);
	Real GetValue() const { return value_.GetReal(); }
	const GeData& GetGeData() const { return value_; }
	void SetValue(CCurve* seq, Real v);
	void SetGeData(CCurve* seq, const GeData& d);

private:
	friend class CCurve;
	BaseTime time_;
	GeData value_;
};

// Keys sorted by time. Reals, vectors and times interpolate linearly between
// keys; other values hold the earlier key's value. Before the first and after
// the last key the end key's value holds.
class CCurve
{
public:
	~CCurve();
	// Replaces a key at the same time; null when t is not finite.
	CKey* AddKey(const BaseTime& t);
	LONG GetKeyCount() const { return (LONG)keys_.size(); }
	CKey* GetKey(LONG index) const { return (index >= 0 && index < GetKeyCount()) ? keys_[(size_t)index] : nullptr; }
	CKey* FindKey(const BaseTime& t) const;
	Bool DelKey(LONG index);
	void FlushKeys();
	// The curve's value at t; DA_NIL without keys.
	GeData GetValue(const BaseTime& t) const;

private:
	friend class CKey;
	void Sort();
	std::vector<CKey*> keys_;
};

// A track is a node of its element's track list: Remove takes it out (the
// caller then owns it), Free destroys it, out of its list first.
class CTrack : public GeListNode
{
public:
	static CTrack* Alloc(BaseList2D* bl, const DescID& id);
	static void Free(CTrack*& track);
	virtual ~CTrack();

	CCurve* GetCurve() { return &curve_; }
	const DescID& GetDescriptionID() const { return id_; }
	// The element the track belongs to once inserted, else null.
	BaseList2D* GetObject() const { return owner_; }

protected:
	virtual void RemoveFromParent();

private:
	explicit CTrack(const DescID& id);
	friend class BaseList2D;
	DescID id_;
	CCurve curve_;
	BaseList2D* owner_;
};

#endif
