// Shared set-up of the evaluation engine tests: a headless scene (document,
// cube, Pulsor tag on the cube), helpers that write tab records and links
// straight into the tag's container, and reference shapes of the library
// curves computed here from their knots, without the host's curve code.
#ifndef PULSOR_ENGINE_FIXTURE_H__
#define PULSOR_ENGINE_FIXTURE_H__

#include "linked_pulsor.h"
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "c4d.h"
#include "host_services.h"
#include "ids_fixture.h"
#include "pulsor.h"

namespace engine_test
{

const Real kFps = 30.0;
const Real kTight = 1e-9;

inline BaseTime Frames(Real frames)
{
	return BaseTime(frames, kFps);
}

// Tab number n keeps its fields from n * 10000 + 2000 on.
inline LONG BaseOf(LONG number)
{
	return number * 10000 + 2000;
}

// y of the cubic Bezier (p0, p0 + r, p3 + l, p3) at x, x(s) being monotone:
// s found by bisection, so no part of the host's Newton iteration is reused.
inline Real BezierY(Real x0, Real y0, Real rx, Real ry, Real lx, Real ly, Real x3, Real y3, Real x)
{
	const Real x1 = x0 + rx, y1 = y0 + ry, x2 = x3 + lx, y2 = y3 + ly;
	const auto at = [](Real a, Real b, Real c, Real d, Real s) {
		const Real r = 1.0 - s;
		return r * r * r * a + 3.0 * r * r * s * b + 3.0 * r * s * s * c + s * s * s * d;
	};
	Real lo = 0.0, hi = 1.0;
	for (int i = 0; i < 200; ++i)
	{
		const Real mid = 0.5 * (lo + hi);
		(at(x0, x1, x2, x3, mid) < x ? lo : hi) = mid;
	}
	return at(y0, y1, y2, y3, 0.5 * (lo + hi));
}

// The host's five-knot sine preset: y = 0.5 + 0.5 sin(2 pi x) at x = 0, 1/4,
// .., 1 with the sine's slope there, cubic Hermite in between.
inline Real SineShape(Real x)
{
	const Real pi2 = 2.0 * 3.14159265358979323846;
	if (x <= 0.0)
		return 0.5;
	if (x >= 1.0)
		return 0.5;
	const int i = (int)std::floor(x * 4.0);
	const Real x0 = i * 0.25, h = 0.25;
	const Real t = (x - x0) / h;
	const Real y0 = 0.5 + 0.5 * std::sin(pi2 * x0), y1 = 0.5 + 0.5 * std::sin(pi2 * (x0 + h));
	const Real m0 = 0.5 * pi2 * std::cos(pi2 * x0), m1 = 0.5 * pi2 * std::cos(pi2 * (x0 + h));
	const Real t2 = t * t, t3 = t2 * t;
	return (2 * t3 - 3 * t2 + 1) * y0 + (t3 - 2 * t2 + t) * h * m0 + (-2 * t3 + 3 * t2) * y1 + (t3 - t2) * h * m1;
}

// The Bounce curve: knots (0, 0) R (0.2, 0.984) and (1, 0) L (-0.193, 1.008).
inline Real BounceShape(Real x)
{
	return BezierY(0.0, 0.0, 0.2, 0.984, -0.193, 1.008, 1.0, 0.0, x);
}

class EngineFixture : public ::testing::Test
{
protected:
	void SetUp() override
	{
		// No preset folder: Init then lists no presets.
		HostSetPluginPath(Filename("/nonexistent/pulsor-engine-tests"));
		// A repeated registration is refused; the first stays.
		RegisterLinkedPulsor(PULSOR_SOURCE_DIR);
		doc_ = BaseDocument::Alloc();
		ASSERT_NE(doc_, nullptr);
		cube_ = BaseObject::Alloc(Ocube);
		ASSERT_NE(cube_, nullptr);
		doc_->InsertObject(cube_);
		tag_ = BaseTag::Alloc(PULSOR_TAG_ID);
		ASSERT_NE(tag_, nullptr);
		cube_->InsertTag(tag_);
		ASSERT_NE(data()->GetContainerInstance(PULSOR_CURVE_LIBRARY), nullptr);
		library_ = data()->GetContainer(PULSOR_CURVE_LIBRARY);
	}

	void TearDown() override
	{
		HostSetObserver(HostObserver());
		BaseDocument::Free(doc_);
	}

	Pulsor* pulsor() const { return static_cast<Pulsor*>(tag_->GetNodeData()); }
	BaseContainer* data() const { return tag_->GetDataInstance(); }

	const SplineData* Curve(LONG id) const
	{
		return static_cast<const SplineData*>(library_.GetCustomDataType(id, CUSTOMDATATYPE_SPLINE));
	}
	// A copy of library curve `curve` stored under id.
	void PutCurve(LONG id, LONG curve) { data()->SetData(id, library_.GetData(curve)); }

	// Links one parameter: one row of the link-type table plus the element.
	void Link(LONG linkType, LONG slot, LONG mode, const DescID& id, LONG linkClass = Obase, BaseList2D* element = nullptr)
	{
		data()->SetData(PULSOR_LINK_DESCID, GeData(CUSTOMDATATYPE_DESCID, id));
		data()->SetLong(PULSOR_LINK_TYPE, linkType);
		data()->SetLong(PULSOR_TYPE_SLOT, slot);
		data()->SetLong(PULSOR_COMPONENT_MODE, mode);
		data()->SetLong(PULSOR_LINK_CLASS, linkClass);
		data()->SetLink(PULSOR_LINK, element);
	}
	void LinkReal(const DescID& id) { Link(DTYPE_REAL, 1, 1, id); }

	// Base tab: playback, frames start .. end, time curve from the library.
	void Base(LONG playback, Real startFrame, Real endFrame, LONG timeCurve)
	{
		data()->SetLong(PULSOR_PLAYBACK, playback);
		data()->SetTime(PULSOR_START_TIME, Frames(startFrame));
		data()->SetTime(PULSOR_END_TIME, Frames(endFrame));
		data()->SetTime(PULSOR_TIME_OFFSET, Frames(0));
		PutCurve(PULSOR_TIME_CURVE, timeCurve);
	}

	// Writes every field the engine reads for tab `number`, appends the
	// number to the tab list and returns the tab base. Defaults: strength 1,
	// all switches on, span 0 .. 40 frames, loop 40, no offset, Once with the
	// constant strength curve, linear remap and custom curves, speed 1,
	// seed 1234, bias 0, real variation 1.
	LONG PutTab(LONG number, LONG type)
	{
		const LONG b = BaseOf(number);
		BaseContainer* d = data();
		d->SetLong(b + PULSOR_TAB_TYPE, type);
		d->SetReal(b + PULSOR_TAB_STRENGTH, 1.0);
		for (LONG k = 0; k < 3; ++k)
		{
			d->SetBool(b + PULSOR_TAB_NEGATIVE + k, TRUE);
			d->SetBool(b + PULSOR_TAB_POSITIVE + k, TRUE);
		}
		d->SetTime(b + PULSOR_TAB_START_TIME, Frames(0));
		d->SetTime(b + PULSOR_TAB_END_TIME, Frames(40));
		d->SetTime(b + PULSOR_TAB_TIME_OFFSET, Frames(0));
		d->SetTime(b + PULSOR_TAB_LOOP_POINT, Frames(40));
		d->SetLong(b + PULSOR_TAB_PLAYBACK, 0);
		PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_CONSTANT);
		PutCurve(b + PULSOR_TAB_REMAP_CURVE, PULSOR_CURVE_LINEAR);
		PutCurve(b + PULSOR_TAB_CUSTOM_CURVE, PULSOR_CURVE_LINEAR);
		d->SetReal(b + PULSOR_TAB_SPEED, 1.0);
		d->SetLong(b + PULSOR_TAB_SEED, 1234);
		d->SetReal(b + PULSOR_TAB_BIAS, 0.0);
		d->SetReal(b + PULSOR_TAB_VARIATION + 1, 1.0);

		BaseContainer list = d->GetContainer(PULSOR_TAB_LIST);
		const LONG count = list.GetLong(0);
		list.SetLong(5 + count, number);
		list.SetLong(0, count + 1);
		d->SetContainer(PULSOR_TAB_LIST, list);
		return b;
	}

	// One tab's unit output at frame position t, with the tab's fields of
	// tab base b and the frames given here.
	Real Mod(Real t, LONG b, LONG start = 0, LONG end = 40, LONG offset = 0, LONG loop = 40, LONG component = 0,
		LONG negative = 1, LONG positive = 1)
	{
		return pulsor()->CalculateModTab(data(), t, b, start, end, offset, loop, library_, component, negative, positive);
	}

	BaseContainer Output(Real t, LONG feedback = 1) { return pulsor()->CalculateOutput(data(), doc_, t, feedback); }

	// Sets the document's time and evaluates the scene as the host does.
	void Run(Real frame)
	{
		doc_->SetTime(BaseTime(frame, kFps));
		doc_->ExecutePasses(nullptr, TRUE, TRUE, TRUE, BUILDFLAGS_0);
	}

	void Record()
	{
		events_.clear();
		HostSetObserver([this](const HostEvent& e) { events_.push_back(e); });
	}

	BaseDocument* doc_ = nullptr;
	BaseObject* cube_ = nullptr;
	BaseTag* tag_ = nullptr;
	BaseContainer library_;
	std::vector<HostEvent> events_;
};

} // namespace engine_test

#endif
