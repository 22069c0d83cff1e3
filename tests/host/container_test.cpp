#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "c4d.h"
#include "customgui_priority.h"
#include "customgui_splinecontrol.h"
#include "prefetch.h"

namespace
{

TEST(GeData, NumericReadsConvertBetweenIntegerRealAndBool)
{
	EXPECT_EQ(GeData(2.9).GetLong(), 2);
	EXPECT_EQ(GeData(-2.9).GetLong(), -2);
	EXPECT_EQ(GeData((LONG)7).GetReal(), 7.0);
	EXPECT_TRUE(GeData(0.5).GetBool());
	EXPECT_FALSE(GeData((LONG)0).GetBool());
	// Out-of-range and NaN reals saturate or read 0 instead of overflowing.
	EXPECT_EQ(GeData(1e300).GetLong(), INT_MAX);
	EXPECT_EQ(GeData(-1e300).GetLong(), INT_MIN);
	EXPECT_EQ(GeData(std::nan("")).GetLong(), 0);
}

TEST(GeData, ReadsOfAnotherNonNumericTypeGiveThatTypesZero)
{
	const GeData text("abc");
	EXPECT_EQ(text.GetLong(), 0);
	EXPECT_EQ(text.GetReal(), 0.0);
	EXPECT_EQ(text.GetVector(), Vector());
	EXPECT_EQ(text.GetTime().Get(), 0.0);
	EXPECT_EQ(text.GetContainer(), nullptr);
	EXPECT_EQ(text.GetCustomDataType(CUSTOMDATATYPE_SPLINE), nullptr);
	EXPECT_EQ(GeData(Vector(1, 2, 3)).GetString(), String());
	EXPECT_EQ(GeData(1.5).GetVector(), Vector());
}

TEST(GeData, CustomDataIsCopiedNotShared)
{
	DescID id(DescLevel(903), DescLevel(1001));
	GeData a(CUSTOMDATATYPE_DESCID, id);
	GeData b = a;
	static_cast<DescID*>(b.GetCustomDataType(CUSTOMDATATYPE_DESCID))->PopId();
	EXPECT_EQ(static_cast<DescID*>(a.GetCustomDataType(CUSTOMDATATYPE_DESCID))->GetDepth(), 2);
	EXPECT_FALSE(a == b);
	// Custom data carries no type of its own, as in the host's interface: the
	// declared type is trusted, so the stand-in cannot refuse a mislabelled
	// one, and callers must not make one.
}

TEST(GeData, EqualityComparesTypeAndValue)
{
	EXPECT_TRUE(GeData((LONG)1) == GeData((LONG)1));
	EXPECT_FALSE(GeData((LONG)1) == GeData(1.0));
	EXPECT_TRUE(GeData(Vector(1, 2, 3)) == GeData(Vector(1, 2, 3)));
	EXPECT_TRUE(GeData(BaseTime(1.0)) == GeData(BaseTime(30.0, 30.0)));
	EXPECT_TRUE(GeData() == GeData());
}

TEST(BaseContainer, GettersReturnTheFallbackForAbsentOrMistypedEntries)
{
	BaseContainer bc;
	EXPECT_EQ(bc.GetLong(5, 42), 42);
	EXPECT_EQ(bc.GetReal(5, 1.5), 1.5);
	EXPECT_EQ(bc.GetString(5, "x"), String("x"));
	EXPECT_EQ(bc.GetVector(5, Vector(1, 2, 3)), Vector(1, 2, 3));
	EXPECT_EQ(bc.GetTime(5, BaseTime(3.0)).Get(), 3.0);
	EXPECT_TRUE(bc.GetBool(5, TRUE));

	bc.SetString(5, "text");
	EXPECT_EQ(bc.GetLong(5, 42), 42);
	EXPECT_EQ(bc.GetVector(5, Vector(1, 0, 0)), Vector(1, 0, 0));
	bc.SetReal(6, 2.5);
	EXPECT_EQ(bc.GetLong(6, 42), 2);
	EXPECT_EQ(bc.GetString(6, "fallback"), String("fallback"));
	EXPECT_EQ(bc.GetType(6), DA_REAL);
	EXPECT_EQ(bc.GetType(7), DA_NIL);
}

TEST(BaseContainer, CopiesAreIndependent)
{
	BaseContainer a;
	a.SetLong(1, 10);
	BaseContainer sub;
	sub.SetLong(0, 1);
	a.SetContainer(2, sub);

	BaseContainer b = a;
	b.SetLong(1, 20);
	b.GetContainerInstance(2)->SetLong(0, 2);
	EXPECT_EQ(a.GetLong(1), 10);
	EXPECT_EQ(a.GetContainer(2).GetLong(0), 1);
	EXPECT_EQ(b.GetLong(1), 20);
	EXPECT_EQ(b.GetContainer(2).GetLong(0), 2);

	// GetContainer hands out a copy; writing it leaves the original alone.
	BaseContainer copy = a.GetContainer(2);
	copy.SetLong(0, 99);
	EXPECT_EQ(a.GetContainer(2).GetLong(0), 1);

	// SetContainer stores a copy too.
	sub.SetLong(0, 77);
	EXPECT_EQ(a.GetContainer(2).GetLong(0), 1);
}

TEST(BaseContainer, ContainerInstanceWritesReachTheParent)
{
	BaseContainer a;
	a.SetContainer(3, BaseContainer());
	BaseContainer* inner = a.GetContainerInstance(3);
	ASSERT_NE(inner, nullptr);
	inner->SetString(1, "in place");
	EXPECT_EQ(a.GetContainer(3).GetString(1), String("in place"));
	EXPECT_EQ(a.GetContainerInstance(4), nullptr);
	a.SetLong(4, 1);
	EXPECT_EQ(a.GetContainerInstance(4), nullptr);
}

TEST(BaseContainer, SettingAnEntryFromItsOwnStorageIsSafe)
{
	BaseContainer a;
	a.SetString(1, "same");
	for (LONG i = 2; i < 100; ++i)
		a.SetData(i, a.GetData(1));
	EXPECT_EQ(a.GetString(99), String("same"));
}

TEST(BaseContainer, IterationVisitsIdsInAscendingOrder)
{
	BaseContainer bc;
	bc.SetLong(30, 3);
	bc.SetLong(-5, 0);
	bc.SetLong(10, 1);
	EXPECT_EQ(bc.GetIndexId(0), -5);
	EXPECT_EQ(bc.GetIndexId(1), 10);
	EXPECT_EQ(bc.GetIndexId(2), 30);
	EXPECT_EQ(bc.GetIndexId(3), -1);
	EXPECT_EQ(bc.GetIndexId(-1), -1);
	EXPECT_EQ(bc.GetIndexData(3), nullptr);
	ASSERT_NE(bc.GetIndexData(2), nullptr);
	EXPECT_EQ(bc.GetIndexData(2)->GetLong(), 3);
}

TEST(BaseContainer, RemoveDataReportsWhetherAnythingWentAway)
{
	BaseContainer bc;
	bc.SetLong(1, 1);
	BaseContainer shared = bc;
	EXPECT_TRUE(bc.RemoveData(1));
	EXPECT_FALSE(bc.RemoveData(1));
	EXPECT_EQ(bc.GetLong(1, -1), -1);
	EXPECT_EQ(shared.GetLong(1, -1), 1);
}

TEST(BaseContainer, MergeReplacesEntriesAndKeepsTheRest)
{
	BaseContainer a;
	a.SetLong(1, 1);
	a.SetLong(2, 2);
	BaseContainer sub;
	sub.SetLong(7, 7);
	a.SetContainer(3, sub);
	BaseContainer b;
	b.SetString(2, "two");
	BaseContainer other;
	other.SetLong(8, 8);
	b.SetContainer(3, other);
	a.MergeContainer(b);
	EXPECT_EQ(a.GetLong(1), 1);
	EXPECT_EQ(a.GetString(2), String("two"));
	// Sub-containers are replaced whole, not merged.
	EXPECT_EQ(a.GetContainer(3).GetLong(7, -1), -1);
	EXPECT_EQ(a.GetContainer(3).GetLong(8), 8);

	// Merging a container's own sub-container into it must not read freed storage.
	a.MergeContainer(*a.GetContainerInstance(3));
	EXPECT_EQ(a.GetLong(8), 8);
}

TEST(BaseContainer, CloneAndCopyToCarryEveryEntry)
{
	BaseContainer a(17);
	a.SetReal(1, 0.25);
	a.SetVector(2, Vector(1, 2, 3));
	BaseContainer* clone = a.GetClone(COPYFLAGS_0, nullptr);
	ASSERT_NE(clone, nullptr);
	EXPECT_TRUE(*clone == a);
	EXPECT_EQ(clone->GetId(), 17);
	clone->SetReal(1, 0.5);
	EXPECT_EQ(a.GetReal(1), 0.25);
	BaseContainer::Free(clone);
	EXPECT_EQ(clone, nullptr);

	BaseContainer dst;
	EXPECT_TRUE(a.CopyTo(&dst, COPYFLAGS_0, nullptr));
	EXPECT_TRUE(dst == a);
	EXPECT_FALSE(a.CopyTo(nullptr, COPYFLAGS_0, nullptr));
}

TEST(BaseContainer, EqualityLooksAtEntriesDeeply)
{
	BaseContainer a;
	BaseContainer b;
	EXPECT_TRUE(a == b);
	BaseContainer sub;
	sub.SetLong(1, 1);
	a.SetContainer(5, sub);
	b.SetContainer(5, sub);
	EXPECT_TRUE(a == b);
	b.GetContainerInstance(5)->SetLong(1, 2);
	EXPECT_FALSE(a == b);
	b.GetContainerInstance(5)->SetLong(1, 1);
	b.SetLong(6, 0);
	EXPECT_FALSE(a == b);
}

// Containers grow past the size at which lookups go through a hash index and
// shrink below it again; every id must still find its own value, in order,
// whatever order the edits came in and whichever copy was written.
TEST(BaseContainer, EditsInAnyOrderKeepEveryIdWithItsValue)
{
	std::mt19937 random(20240611);
	std::uniform_int_distribution<LONG> anyId(-150, 150);
	std::map<LONG, LONG> model;
	BaseContainer bc;
	BaseContainer earlier;
	std::map<LONG, LONG> earlierModel;
	const auto expectSame = [](const BaseContainer& c, const std::map<LONG, LONG>& m, int step) {
		LONG index = 0;
		for (const auto& entry : m)
		{
			ASSERT_EQ(c.GetIndexId(index), entry.first) << "step " << step;
			ASSERT_EQ(c.GetIndexData(index)->GetLong(), entry.second) << "step " << step;
			ASSERT_EQ(c.GetLong(entry.first, INT_MIN), entry.second) << "step " << step;
			++index;
		}
		ASSERT_EQ(c.GetIndexData(index), nullptr) << "step " << step;
		for (LONG id = -151; id <= 151; ++id)
			ASSERT_EQ(c.GetDataPointer(id) != nullptr, m.count(id) == 1) << "step " << step << " id " << id;
	};
	for (int step = 0; step < 3000; ++step)
	{
		const LONG id = anyId(random);
		// Mostly growing for the first half, mostly shrinking after it.
		const bool grow = (int)(random() % 100) < (step < 1500 ? 80 : 20);
		if (grow)
		{
			bc.SetLong(id, step);
			model[id] = step;
		}
		else
		{
			EXPECT_EQ(bc.RemoveData(id) != 0, model.erase(id) == 1) << "step " << step;
		}
		if (step % 250 == 0)
		{
			earlier = bc;
			earlierModel = model;
		}
		if (step % 50 == 0)
		{
			expectSame(bc, model, step);
			expectSame(earlier, earlierModel, step);
		}
	}
	expectSame(bc, model, 3000);

	// Merging writes the values of ids already there and inserts the rest.
	bc.MergeContainer(earlier);
	for (const auto& entry : earlierModel)
		model[entry.first] = entry.second;
	expectSame(bc, model, 3001);
}

TEST(BaseContainer, CustomDataIsReadByItsTypeOnly)
{
	BaseContainer bc;
	bc.SetData(1, GeData(CUSTOMDATATYPE_DESCID, DescID(DescLevel(5))));
	EXPECT_NE(bc.GetCustomDataType(1, CUSTOMDATATYPE_DESCID), nullptr);
	EXPECT_EQ(bc.GetCustomDataType(1, CUSTOMDATATYPE_SPLINE), nullptr);
	EXPECT_EQ(bc.GetCustomDataType(2, CUSTOMDATATYPE_DESCID), nullptr);
	EXPECT_EQ(bc.GetType(1), CUSTOMDATATYPE_DESCID);
}

TEST(DescID, LevelsPushPopAndShift)
{
	DescID id(DescLevel(903, DTYPE_VECTOR, 0), DescLevel(VECTOR_Y, DTYPE_REAL, 0));
	EXPECT_EQ(id.GetDepth(), 2);
	EXPECT_EQ(id[0].id, 903);
	EXPECT_EQ(id[1].id, VECTOR_Y);
	// Outside the levels reads a zero level instead of running off the array.
	EXPECT_EQ(id[2].id, 0);
	EXPECT_EQ(id[-1].id, 0);

	const DescID rest = id << 1;
	EXPECT_EQ(rest.GetDepth(), 1);
	EXPECT_EQ(rest[0].id, VECTOR_Y);
	EXPECT_EQ((id << 5).GetDepth(), 0);

	id.PopId();
	EXPECT_EQ(id.GetDepth(), 1);
	id.PopId();
	id.PopId();
	EXPECT_EQ(id.GetDepth(), 0);

	DescID deep;
	for (LONG i = 0; i < 100; ++i)
		deep.PushId(DescLevel(i));
	EXPECT_EQ(deep.GetDepth(), (LONG)DescID::MAX_DEPTH);
}

TEST(DescID, EqualityTreatsZeroTypesAsWildcards)
{
	EXPECT_TRUE(DescID(DescLevel(903)) == DescID(DescLevel(903, DTYPE_VECTOR, 0)));
	EXPECT_FALSE(DescID(DescLevel(903, DTYPE_REAL, 0)) == DescID(DescLevel(903, DTYPE_VECTOR, 0)));
	EXPECT_FALSE(DescID(DescLevel(903)) == DescID(DescLevel(903), DescLevel(VECTOR_X)));
	EXPECT_TRUE(DescID() == DescID());
}

TEST(DescID, IsPartOfMeansAPrefix)
{
	const DescID position(DescLevel(903));
	const DescID positionY(DescLevel(903), DescLevel(VECTOR_Y));
	LONG pos = -1;
	EXPECT_TRUE(position.IsPartOf(positionY, &pos));
	EXPECT_EQ(pos, 1);
	EXPECT_FALSE(positionY.IsPartOf(position, &pos));
	EXPECT_FALSE(DescID(DescLevel(904)).IsPartOf(positionY, nullptr));
}

TEST(PriorityData, ValuesAreSetAndReadBack)
{
	PriorityData p;
	EXPECT_TRUE(p.SetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT, GeData((LONG)1)));
	EXPECT_EQ(p.GetPriorityValue(PRIORITYVALUE_CAMERADEPENDENT).GetLong(), 1);
	EXPECT_TRUE(p.SetPriorityValue(PRIORITYVALUE_PRIORITY, GeData((LONG)-5)));
	EXPECT_EQ(p.GetPriorityValue(PRIORITYVALUE_PRIORITY).GetLong(), -5);
	EXPECT_FALSE(p.SetPriorityValue(99, GeData((LONG)1)));
	EXPECT_EQ(p.GetPriorityValue(99).GetType(), DA_NIL);
}

TEST(GetCustomDataTypeDefault, DescribesARealAndRefusesUnknownTypes)
{
	const BaseContainer real = GetCustomDataTypeDefault(DTYPE_REAL);
	EXPECT_EQ(real.GetLong(DESC_UNIT), DESC_UNIT_REAL);
	EXPECT_EQ(real.GetReal(DESC_STEP), 1.0);
	EXPECT_EQ(GetCustomDataTypeDefault(123456).GetIndexId(0), -1);
}

} // namespace

namespace
{

// The evaluation's prefetching of a container in every shape these tests
// give it, between edits: it reads only what the store holds (the sanitizer
// build runs these) and changes nothing the models would miss.
void Prefetch(const BaseContainer& bc)
{
	ContainerPrefetch::Header(bc);
	ContainerPrefetch::Entries(bc);
	ContainerPrefetch::Pointees(bc);
	for (LONG id : { -3, 0, 1, 7, 64, 599, 1400 })
	{
		ContainerPrefetch::Slot(bc, id);
		ContainerPrefetch::Value(bc, id);
		ContainerPrefetch::Pointee(bc, id);
	}
}

// Thousands of random containers built by inserts in front of their last
// entry, in any order, by merges of many new entries and by removals, each
// checked against a sorted model: every id in ascending index order with its
// value, lookups of present and absent ids, and copies taken on the way that
// must not change.
TEST(BaseContainer, RandomEditsAndMergesMatchASortedModel)
{
	std::mt19937 random(20240613);
	const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random); };
	const auto same = [](const BaseContainer& c, const std::map<LONG, Real>& m) {
		LONG index = 0;
		for (const auto& entry : m)
		{
			if (c.GetIndexId(index) != entry.first || c.GetIndexData(index)->GetReal() != entry.second ||
				c.GetReal(entry.first, -1.0) != entry.second)
				return false;
			++index;
		}
		return c.GetIndexData(index) == nullptr && c.GetIndexId(index) == -1;
	};
	for (int round = 0; round < 2000; ++round)
	{
		// Up to a few hundred entries: both sides of the size where the hash
		// index starts.
		const LONG span = pick(4, 600);
		std::map<LONG, Real> model;
		BaseContainer bc;
		// A last entry, as a tag's priority, that inserts land in front of.
		bc.SetReal(span + 1, -5.0);
		model[span + 1] = -5.0;
		BaseContainer copy;
		std::map<LONG, Real> copyModel;
		const LONG steps = pick(1, 300);
		for (LONG step = 0; step < steps; ++step)
		{
			const LONG what = pick(0, 9);
			if (what < 6)
			{
				const LONG id = pick(-span, span);
				bc.SetReal(id, (Real)step);
				model[id] = (Real)step;
			}
			else if (what < 8)
			{
				const LONG id = pick(-span, span + 1);
				ASSERT_EQ(bc.RemoveData(id) != 0, model.erase(id) == 1) << "round " << round;
			}
			else if (what == 8)
			{
				BaseContainer more;
				for (LONG n = pick(0, 120); n > 0; --n)
				{
					const LONG id = pick(-2 * span, 2 * span);
					more.SetReal(id, (Real)(step * 1000 + n));
				}
				for (LONG i = 0; more.GetIndexData(i); ++i)
					model[more.GetIndexId(i)] = more.GetIndexData(i)->GetReal();
				bc.MergeContainer(more);
			}
			else
			{
				copy = bc;
				copyModel = model;
			}
			Prefetch(bc);
		}
		ASSERT_TRUE(same(bc, model)) << "round " << round;
		ASSERT_TRUE(same(copy, copyModel)) << "round " << round;
		for (LONG id = -2 * span - 1; id <= 2 * span + 1; id += 7)
			ASSERT_EQ(bc.GetDataPointer(id) != nullptr, model.count(id) == 1) << "round " << round << " id " << id;
	}
}

// Values that own memory (texts) through a large container's growth,
// erasures that move the last value into the freed place, copies and merges:
// each id keeps its own text, and nothing is freed twice or leaked (the
// sanitizer build runs this too).
TEST(BaseContainer, LargeContainersKeepOwnedValuesThroughGrowthErasureAndCopies)
{
	std::mt19937 random(20261209);
	const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random); };
	const auto text = [](LONG id, LONG step) { return String((std::to_string(id) + "/" + std::to_string(step)).c_str()); };
	for (int round = 0; round < 200; ++round)
	{
		std::map<LONG, String> model;
		BaseContainer bc;
		BaseContainer kept;
		std::map<LONG, String> keptModel;
		for (LONG step = 0; step < 900; ++step)
		{
			const LONG what = pick(0, 19);
			const LONG id = pick(0, 700);
			if (what < 14)
			{
				bc.SetString(id, text(id, step));
				model[id] = text(id, step);
			}
			else if (what < 18)
			{
				ASSERT_EQ(bc.RemoveData(id) != 0, model.erase(id) == 1);
			}
			else if (what == 18)
			{
				BaseContainer more;
				for (LONG n = pick(0, 80); n > 0; --n)
				{
					const LONG other = pick(0, 1400);
					more.SetString(other, text(other, -step));
					model[other] = text(other, -step);
				}
				bc.MergeContainer(more);
			}
			else
			{
				kept = bc;
				keptModel = model;
			}
			Prefetch(bc);
		}
		for (const auto* side : { &model, &keptModel })
		{
			const BaseContainer& c = side == &model ? bc : kept;
			LONG index = 0;
			for (const auto& entry : *side)
			{
				ASSERT_EQ(c.GetIndexId(index), entry.first) << "round " << round;
				ASSERT_EQ(c.GetString(entry.first), entry.second) << "round " << round;
				++index;
			}
			ASSERT_EQ(c.GetIndexData(index), nullptr) << "round " << round;
		}
	}
}

} // namespace

namespace
{

// A default is the caller's own: what one caller writes into it, the next
// does not get.
TEST(GetCustomDataTypeDefault, EachCallerGetsItsOwnSettings)
{
	BaseContainer first = GetCustomDataTypeDefault(DTYPE_LONG);
	EXPECT_EQ(first.GetId(), DTYPE_LONG);
	first.SetString(DESC_NAME, "mine");
	first.SetLong(DESC_MAX, 3);
	const BaseContainer second = GetCustomDataTypeDefault(DTYPE_LONG);
	EXPECT_EQ(second.GetString(DESC_NAME, "absent"), "absent");
	EXPECT_EQ(second.GetLong(DESC_MAX), 2147483647);
	EXPECT_EQ(GetCustomDataTypeDefault(DTYPE_BOOL).GetLong(DESC_ANIMATE), 1);
	EXPECT_EQ(GetCustomDataTypeDefault(DTYPE_GROUP).GetLong(DESC_ANIMATE), 0);
}

// The typed setters move their value in; SetData copies it. Thousands of
// random edits of every kind of value, some taken from the container's own
// entries, leave both containers equal entry for entry.
TEST(BaseContainer, TypedSettersMatchSetDataForEveryKindOfValue)
{
	std::mt19937 random(4111);
	const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random); };
	SplineData curve;
	curve.MakeSinSpline(5);
	for (int round = 0; round < 400; ++round)
	{
		BaseContainer typed;
		BaseContainer generic;
		const LONG span = pick(2, 150);
		for (int step = 0; step < 80; ++step)
		{
			const LONG id = pick(-span, span);
			const LONG other = pick(-span, span);
			const LONG n = pick(-1000, 1000);
			switch (pick(0, 9))
			{
				case 0: typed.SetBool(id, n > 0); generic.SetData(id, GeData((LONG)(n > 0 ? 1 : 0))); break;
				case 1: typed.SetLong(id, n); generic.SetData(id, GeData(n)); break;
				case 2: typed.SetLLong(id, (LLONG)n * ((LLONG)1 << 40)); generic.SetData(id, GeData((LLONG)n * ((LLONG)1 << 40), LLONGVALUE)); break;
				case 3: typed.SetReal(id, n / 7.0); generic.SetData(id, GeData(n / 7.0)); break;
				case 4: typed.SetTime(id, BaseTime(n, 30.0)); generic.SetData(id, GeData(BaseTime(n, 30.0))); break;
				case 5:
				{
					// Short texts and texts past any small-string room.
					const String text = n % 2 ? String("t") : String("a text well past sixteen characters") + LongToString(n);
					typed.SetString(id, text);
					generic.SetData(id, GeData(text));
					break;
				}
				case 6:
					// From the container's own storage.
					typed.SetVector(id, typed.GetData(other).GetVector());
					generic.SetData(id, generic.GetData(other));
					if (generic.GetType(other) != DA_VECTOR)
						generic.SetData(id, GeData(Vector()));
					break;
				case 7:
				{
					BaseContainer inner;
					inner.SetLong(1, n);
					inner.SetString(2, "inner");
					typed.SetContainer(id, inner);
					generic.SetData(id, GeData(inner));
					break;
				}
				case 8:
					// The container itself, and one of its own sub-containers.
					if (const BaseContainer* own = typed.GetContainerInstance(other))
					{
						typed.SetContainer(id, *own);
						generic.SetData(id, GeData(*generic.GetContainerInstance(other)));
					}
					else
					{
						typed.SetContainer(id, typed);
						generic.SetData(id, GeData(generic));
					}
					break;
				default:
					typed.SetFilename(id, Filename("folder/file.txt"));
					generic.SetData(id, GeData(Filename("folder/file.txt")));
					typed.SetData(other, GeData(CUSTOMDATATYPE_SPLINE, curve));
					generic.SetData(other, GeData(CUSTOMDATATYPE_SPLINE, curve));
					break;
			}
		}
		ASSERT_TRUE(typed == generic) << "round " << round;
		for (LONG i = 0; typed.GetIndexData(i); ++i)
		{
			ASSERT_EQ(typed.GetIndexId(i), generic.GetIndexId(i)) << "round " << round;
			ASSERT_EQ(typed.GetIndexData(i)->GetType(), generic.GetIndexData(i)->GetType()) << "round " << round;
		}
	}
}

// Pages of random ids, some refused as already present or under an absent
// group, against a model: every element in order, found by its first level,
// with its own settings.
TEST(Description, RandomPagesFindEveryElementByItsId)
{
	std::mt19937 random(9090);
	const auto pick = [&](LONG lo, LONG hi) { return std::uniform_int_distribution<LONG>(lo, hi)(random); };
	for (int round = 0; round < 200; ++round)
	{
		Description* page = Description::Alloc();
		std::map<LONG, LONG> model;  // id -> its settings' value
		std::vector<LONG> order;
		const LONG span = pick(4, 3000);
		for (LONG n = pick(1, 900); n > 0; --n)
		{
			const LONG id = pick(-span, span);
			const LONG group = pick(0, 3) == 0 ? pick(-span, span) : 0;
			BaseContainer settings;
			settings.SetLong(DESC_MAX, n);
			const bool accepted = model.count(id) == 0 && (group == 0 || model.count(group) == 1);
			ASSERT_EQ(page->SetParameter(DescID(id), settings, group == 0 ? DescID() : DescID(group)) != 0, accepted)
				<< "round " << round << " id " << id;
			if (!accepted)
				continue;
			model[id] = n;
			order.push_back(id);
		}
		ASSERT_EQ(page->GetElementCount(), (LONG)order.size());
		for (size_t i = 0; i < order.size(); ++i)
			ASSERT_EQ((*page->GetElementId((LONG)i))[0].id, order[i]);
		BaseContainer temp;
		for (LONG id = -span - 1; id <= span + 1; ++id)
		{
			const BaseContainer* found = page->GetParameter(DescID(id), temp, nullptr);
			ASSERT_EQ(found != nullptr, model.count(id) == 1) << "round " << round << " id " << id;
			if (found)
			{
				ASSERT_EQ(found->GetLong(DESC_MAX), model[id]);
			}
		}
		Description::Free(page);
	}
}

} // namespace
