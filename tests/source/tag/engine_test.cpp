// The evaluation engine on containers: CalculateBaseTab, CalculateModTab and
// CalculateOutput. Every expected number is worked out here from the
// playback, waveform and output rules and the curves' knots.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine_fixture.h"

using namespace engine_test;

namespace
{

const Real kNaN = std::numeric_limits<Real>::quiet_NaN();

LONG EntryCount(const BaseContainer& bc)
{
	LONG n = 0;
	while (bc.GetIndexData(n))
		++n;
	return n;
}

class EngineBaseTab : public EngineFixture
{
protected:
	Real At(LONG playback, Real t, Real sv, Real ev, LONG sf, LONG ef, LONG curve, Real strength = 1.0)
	{
		data()->SetLong(PULSOR_PLAYBACK, playback);
		return pulsor()->CalculateBaseTab(data(), t, sv, ev, sf, ef, Curve(curve), strength);
	}
};

class EngineModTab : public EngineFixture
{
};

class EngineOutput : public EngineFixture
{
};

} // namespace

// ---- Base tab ---------------------------------------------------------------

TEST_F(EngineBaseTab, OnceHoldsTheEndsAndFollowsTheCurveInside)
{
	// Start 2, End 12 over frames 10 .. 30 along the straight ramp.
	EXPECT_NEAR(At(1, 0, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 2.0, kTight);  // clamped low
	EXPECT_NEAR(At(1, 15, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 4.5, kTight);
	EXPECT_NEAR(At(1, 20, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 7.0, kTight);
	EXPECT_NEAR(At(1, 30, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 12.0, kTight);
	EXPECT_NEAR(At(1, 45, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 12.0, kTight);  // clamped high
	// Strength scales the travel: out = 2 + 10 * 0.5.
	EXPECT_NEAR(At(1, 20, 2, 12, 10, 30, PULSOR_CURVE_LINEAR, 0.5), 4.5, kTight);
	EXPECT_NEAR(At(1, 45, 2, 12, 10, 30, PULSOR_CURVE_LINEAR, 0.5), 7.0, kTight);
	// The default time curve is constant 1: the base sits at out everywhere.
	for (Real t : { 0.0, 20.0, 50.0 })
		EXPECT_NEAR(At(1, t, 2, 12, 10, 30, PULSOR_CURVE_CONSTANT), 12.0, kTight);
}

TEST_F(EngineBaseTab, LoopRepeatsTheSpan)
{
	EXPECT_NEAR(At(2, 20, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 7.0, kTight);
	// A position of exactly 1 is not wrapped.
	EXPECT_NEAR(At(2, 30, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 12.0, kTight);
	EXPECT_NEAR(At(2, 35, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 4.5, kTight);  // 1.25 -> 0.25
	EXPECT_NEAR(At(2, 50, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 2.0, kTight);  // 2 -> 0
	EXPECT_NEAR(At(2, 55, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 4.5, kTight);
}

TEST_F(EngineBaseTab, PingpongRunsForwardThenBackOverTwoSpans)
{
	// Folded by the triangle over 10 .. 50.
	EXPECT_NEAR(At(3, 20, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 7.0, kTight);
	EXPECT_NEAR(At(3, 30, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 12.0, kTight);
	EXPECT_NEAR(At(3, 40, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 7.0, kTight);
	EXPECT_NEAR(At(3, 45, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 4.5, kTight);
	EXPECT_NEAR(At(3, 50, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 2.0, kTight);
	EXPECT_NEAR(At(3, 60, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 7.0, kTight);  // second period
}

TEST_F(EngineBaseTab, AdditivePlaybackClimbsOneTravelPerCycle)
{
	for (Real t : { 5.0, 15.0, -5.0, 20.0, 27.5 })
		EXPECT_NEAR(At(4, t, 0, 10, 0, 10, PULSOR_CURVE_LINEAR), t, kTight) << "t = " << t;
	// Start 2, End 12, strength 0.5: travel 5 per cycle, inner value 2 .. 7.
	EXPECT_NEAR(At(4, 15, 2, 12, 0, 10, PULSOR_CURVE_LINEAR, 0.5), 5.0 + 4.5, kTight);
	EXPECT_NEAR(At(4, -5, 2, 12, 0, 10, PULSOR_CURVE_LINEAR, 0.5), -5.0 + 4.5, kTight);
	// The climb per cycle is the curve's value at 1: 0 for the falling ramp,
	// which leaves the inner value 10 * (1 - 0.5).
	EXPECT_NEAR(At(4, 15, 0, 10, 0, 10, PULSOR_CURVE_FADE_DOWN), 5.0, kTight);
}

TEST_F(EngineBaseTab, UnknownPlaybackGivesZero)
{
	for (LONG playback : { 0, 5, -1, 1000 })
		EXPECT_EQ(At(playback, 20, 2, 12, 10, 30, PULSOR_CURVE_LINEAR), 0.0) << playback;
}

TEST_F(EngineBaseTab, CoincidingFramesGiveTheStartValueOrTheCurveAtZero)
{
	for (Real t : { 0.0, 10.0, 20.0 })
	{
		EXPECT_EQ(At(1, t, 2, 12, 10, 10, PULSOR_CURVE_FADE_DOWN), 2.0);
		EXPECT_EQ(At(2, t, 2, 12, 10, 10, PULSOR_CURVE_FADE_DOWN), 2.0);
		// Pingpong: start + (out - start) * curve(0); the falling ramp is 1 at 0.
		EXPECT_NEAR(At(3, t, 2, 12, 10, 10, PULSOR_CURVE_FADE_DOWN), 12.0, kTight);
		EXPECT_NEAR(At(3, t, 2, 12, 10, 10, PULSOR_CURVE_LINEAR), 2.0, kTight);
	}
}

TEST_F(EngineBaseTab, AdditiveWithCoincidingFramesCountsTheSpanAsOneFrame)
{
	// No division by zero: one travel (10) per frame.
	EXPECT_NEAR(At(4, 0, 0, 10, 0, 0, PULSOR_CURVE_LINEAR), 0.0, kTight);
	EXPECT_NEAR(At(4, 3, 0, 10, 0, 0, PULSOR_CURVE_LINEAR), 30.0, kTight);
	EXPECT_NEAR(At(4, 2.5, 0, 10, 0, 0, PULSOR_CURVE_LINEAR), 25.0, kTight);
	EXPECT_NEAR(At(4, -1.5, 0, 10, 0, 0, PULSOR_CURVE_LINEAR), -15.0, kTight);
}

// ---- Modifier tabs: waveforms -----------------------------------------------

TEST_F(EngineModTab, EachWaveformHasItsShapeAtTheQuarterPhases)
{
	// Loop 40 frames, span 0 .. 40, Once with the constant envelope (e = 1),
	// both switches on: the unit output is 2 * shape - 1 at t = 0, 10, .., 40.
	struct Case
	{
		LONG type;
		Real expected[5];
	};
	const Real b25 = 2.0 * BounceShape(0.25) - 1.0, b50 = 2.0 * BounceShape(0.5) - 1.0, b75 = 2.0 * BounceShape(0.75) - 1.0;
	const Case cases[] = {
		{ PULSOR_MOD_SIN, { 0, 1, 0, -1, 0 } },
		{ PULSOR_MOD_COS, { -1, 0, 1, 0, -1 } },
		{ PULSOR_MOD_SAWTOOTH, { -1, -0.5, 0, 0.5, 1 } },
		{ PULSOR_MOD_SQUARE, { -1, -1, 1, 1, 1 } },
		{ PULSOR_MOD_TRIANGLE, { -1, 0, 1, 0, -1 } },
		{ PULSOR_MOD_BOUNCE, { -1, b25, b50, b75, -1 } },
		{ 0, { -1, -0.5, 0, 0.5, 1 } },   // no type: the straight ramp
		{ 99, { -1, -0.5, 0, 0.5, 1 } },  // unknown type: the straight ramp
	};
	for (const Case& c : cases)
	{
		const LONG b = PutTab(2, c.type);
		for (int i = 0; i < 5; ++i)
			EXPECT_NEAR(Mod(10.0 * i, b), c.expected[i], kTight) << "type " << c.type << " t " << 10 * i;
	}
	// Between the knots the sine preset is the cubic Hermite of the sine.
	const LONG sin = PutTab(3, PULSOR_MOD_SIN);
	EXPECT_NEAR(Mod(5.0, sin), 2.0 * SineShape(0.125) - 1.0, kTight);
	EXPECT_NEAR(Mod(27.0, sin), 2.0 * SineShape(0.675) - 1.0, kTight);
	// The bounce peaks near 1 in the middle of the period.
	EXPECT_GT(b50, 0.4);
}

TEST_F(EngineModTab, CustomTabReadsItsOwnCurve)
{
	const LONG b = PutTab(2, PULSOR_MOD_CUSTOM);
	PutCurve(b + PULSOR_TAB_CUSTOM_CURVE, PULSOR_CURVE_FADE_DOWN);
	const Real expected[] = { 1, 0.5, 0, -0.5, -1 };
	for (int i = 0; i < 5; ++i)
		EXPECT_NEAR(Mod(10.0 * i, b), expected[i], kTight) << i;
}

TEST_F(EngineModTab, PhaseWrapsPastTheLoopPointButOneReadsTheCurveAtOne)
{
	const LONG saw = PutTab(2, PULSOR_MOD_SAWTOOTH);
	EXPECT_NEAR(Mod(40, saw), 1.0, kTight);   // quotient exactly 1: curve at 1
	EXPECT_NEAR(Mod(50, saw), -0.5, kTight);  // 1.25 -> 0.25
	EXPECT_NEAR(Mod(80, saw), -1.0, kTight);  // 2 -> curve at 0
	// Offset shifts the phase: t 0 with offset 30 reads phase 0.75.
	EXPECT_NEAR(Mod(0, saw, 0, 40, 30), 0.5, kTight);
	// A negative position is moved into the period first: -10 reads as 30.
	EXPECT_NEAR(Mod(-10, saw), 0.5, kTight);
	EXPECT_NEAR(Mod(-50, saw), 0.5, kTight);
	EXPECT_NEAR(Mod(0, saw, 0, 40, -50), 0.5, kTight);
}

TEST_F(EngineModTab, SwitchesChooseTheSwingRange)
{
	const LONG b = PutTab(2, PULSOR_MOD_SAWTOOTH);
	// Shape 0.25 at t = 10.
	EXPECT_NEAR(Mod(10, b, 0, 40, 0, 40, 0, 1, 1), -0.5, kTight);   // -1 .. 1
	EXPECT_NEAR(Mod(10, b, 0, 40, 0, 40, 0, 0, 1), 0.25, kTight);   // 0 .. 1
	EXPECT_NEAR(Mod(10, b, 0, 40, 0, 40, 0, 1, 0), -0.75, kTight);  // -1 .. 0
	EXPECT_EQ(Mod(10, b, 0, 40, 0, 40, 0, 0, 0), 0.0);
	// With a rising envelope (0.75 at t = 30) and shape 0.75.
	PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_LINEAR);
	EXPECT_NEAR(Mod(30, b, 0, 40, 0, 40, 0, 1, 1), 0.375, kTight);
	EXPECT_NEAR(Mod(30, b, 0, 40, 0, 40, 0, 0, 1), 0.5625, kTight);
	EXPECT_NEAR(Mod(30, b, 0, 40, 0, 40, 0, 1, 0), -0.1875, kTight);
	// Both off silences every type, noise included.
	for (LONG type = 0; type <= 9; ++type)
	{
		const LONG t = PutTab(3, type);
		EXPECT_EQ(Mod(13, t, 0, 40, 0, 40, 0, 0, 0), 0.0) << type;
	}
}

TEST_F(EngineModTab, LoopPointZeroSitsAtTheLowSwing)
{
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	for (Real t : { 0.0, 7.5, 33.0 })
	{
		EXPECT_EQ(Mod(t, b, 0, 40, 0, 0, 0, 1, 1), -1.0) << t;
		EXPECT_EQ(Mod(t, b, 0, 40, 0, 0, 0, 0, 1), 0.0) << t;
		EXPECT_EQ(Mod(t, b, 0, 40, 0, 0, 0, 1, 0), -1.0) << t;
	}
	PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_LINEAR);
	EXPECT_NEAR(Mod(10, b, 0, 40, 0, 0, 0, 1, 1), -0.25, kTight);  // lo * e
}

// ---- Modifier tabs: strength envelopes --------------------------------------

// With loop point 0 and only "Negative" on, the unit output is exactly -e.
TEST_F(EngineModTab, StrengthEnvelopeFollowsTheTabPlayback)
{
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_LINEAR);
	const auto e = [&](LONG playback, Real t, LONG start = 10, LONG end = 30, LONG offset = 0) {
		data()->SetLong(b + PULSOR_TAB_PLAYBACK, playback);
		return -Mod(t, b, start, end, offset, 0, 0, 1, 0);
	};
	// Once over 10 .. 30: held at the curve's ends outside.
	EXPECT_NEAR(e(0, 0), 0.0, kTight);
	EXPECT_NEAR(e(0, 15), 0.25, kTight);
	EXPECT_NEAR(e(0, 20), 0.5, kTight);
	EXPECT_NEAR(e(0, 30), 1.0, kTight);
	EXPECT_NEAR(e(0, 45), 1.0, kTight);
	// The envelope runs on the time without the tab's offset.
	EXPECT_NEAR(e(0, 20, 10, 30, 1000), 0.5, kTight);
	// Loop: elapsed time from the start, held at 0 before it.
	EXPECT_NEAR(e(1, 5), 0.0, kTight);
	EXPECT_NEAR(e(1, 20), 0.5, kTight);
	EXPECT_NEAR(e(1, 30), 1.0, kTight);
	EXPECT_NEAR(e(1, 35), 0.25, kTight);
	EXPECT_NEAR(e(1, 55), 0.25, kTight);
	// Elapsed time is held at t from above: span -10 .. 10 at t = 5 counts 5
	// frames of 20, not 15.
	EXPECT_NEAR(e(1, 5, -10, 10), 0.25, kTight);
	// Pingpong: up over 10 .. 30, down over 30 .. 50, again after.
	EXPECT_NEAR(e(2, 20), 0.5, kTight);
	EXPECT_NEAR(e(2, 30), 1.0, kTight);
	EXPECT_NEAR(e(2, 40), 0.5, kTight);
	EXPECT_NEAR(e(2, 50), 0.0, kTight);
	EXPECT_NEAR(e(2, 60), 0.5, kTight);
	// Any other playback value: full strength.
	for (LONG playback : { 3, -1, 100 })
		EXPECT_EQ(e(playback, 0), 1.0) << playback;
	// The curve's shape counts: the falling ramp at a quarter of the span.
	PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_FADE_DOWN);
	EXPECT_NEAR(e(0, 15), 0.75, kTight);
}

TEST_F(EngineModTab, CoincidingTabFramesSilenceOnceAndLoopButNotPingpong)
{
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	PutCurve(b + PULSOR_TAB_STRENGTH_CURVE, PULSOR_CURVE_FADE_DOWN);
	for (Real t : { 10.0, 20.0, 30.0 })
	{
		data()->SetLong(b + PULSOR_TAB_PLAYBACK, 0);
		EXPECT_EQ(Mod(t, b, 20, 20, 0, 0, 0, 1, 0), 0.0) << t;
		data()->SetLong(b + PULSOR_TAB_PLAYBACK, 1);
		EXPECT_EQ(Mod(t, b, 20, 20, 0, 0, 0, 1, 0), 0.0) << t;
		// Pingpong: the strength curve at 0, which is 1 for the falling ramp.
		data()->SetLong(b + PULSOR_TAB_PLAYBACK, 2);
		EXPECT_NEAR(Mod(t, b, 20, 20, 0, 0, 0, 1, 0), -1.0, kTight) << t;
	}
}

// ---- Modifier tabs: noise ---------------------------------------------------

TEST_F(EngineModTab, NoiseReadsTheHostNoiseAlongItsPath)
{
	const LONG b = PutTab(2, PULSOR_MOD_NOISE);
	// Phase 0.25 of a 40-frame loop: x = 40 * sine(0.25) = 40, y = 40 *
	// hump(0.25) = 20. Seed 1234, speed 1; component j shifts the point.
	for (LONG j = 0; j < 3; ++j)
	{
		const Real n = Noise(Vector((40.0 + j * 1234 - 1234) / 45.0, (20.0 + j * 2314 + 1234) / 50.0, 1234.0 * 10004 + j * 100));
		EXPECT_NEAR(Mod(10, b, 0, 40, 0, 40, j), 2.0 * n - 1.0, kTight) << j;
		// "Positive" alone maps the noise straight into 0 .. 1.
		EXPECT_NEAR(Mod(10, b, 0, 40, 0, 40, j, 0, 1), n, kTight) << j;
	}
	// Phase 0: x = 40 * 0.5, y = 0.
	const Real n0 = Noise(Vector((20.0 - 1234) / 45.0, 1234.0 / 50.0, 1234.0 * 10004));
	EXPECT_NEAR(Mod(0, b), 2.0 * n0 - 1.0, kTight);
	// "Uniform" gives every component the noise of component 0.
	data()->SetBool(b + PULSOR_TAB_UNIFORM, TRUE);
	for (LONG j = 1; j < 3; ++j)
		EXPECT_EQ(Mod(13.5, b, 0, 40, 0, 40, j), Mod(13.5, b, 0, 40, 0, 40, 0)) << j;
}

TEST_F(EngineModTab, NoiseRepeatsEveryLoopPoint)
{
	const LONG b = PutTab(2, PULSOR_MOD_NOISE);
	for (Real t : { 0.5, 3.0, 17.25, 39.0 })
	{
		EXPECT_NEAR(Mod(t + 40, b), Mod(t, b), 1e-12) << t;
		EXPECT_NEAR(Mod(t + 400, b), Mod(t, b), 1e-12) << t;
		// Before frame 0 the position is moved into the period.
		EXPECT_NEAR(Mod(t - 40, b), Mod(t, b), 1e-12) << t;
	}
	// Loop point 0: the period is 9574 frames; a quarter of it reads
	// x = 9574 and y = 4787.
	const Real n = Noise(Vector((9574.0 - 1234) / 45.0, (4787.0 + 1234) / 50.0, 1234.0 * 10004));
	EXPECT_NEAR(Mod(2393.5, b, 0, 40, 0, 0), 2.0 * n - 1.0, kTight);
	for (Real t : { 100.5, 5000.0 })
	{
		EXPECT_NEAR(Mod(t + 9574, b, 0, 40, 0, 0), Mod(t, b, 0, 40, 0, 0), 1e-9) << t;
		EXPECT_NEAR(Mod(t - 9574, b, 0, 40, 0, 0), Mod(t, b, 0, 40, 0, 0), 1e-9) << t;
	}
}

TEST_F(EngineModTab, NoiseSpeedBiasAndRemapShapeTheValue)
{
	const LONG b = PutTab(2, PULSOR_MOD_NOISE);
	// Speed 0 freezes the point at ((-seed) / 45, seed / 50, seed * 10004).
	data()->SetReal(b + PULSOR_TAB_SPEED, 0.0);
	const Real frozen = 2.0 * Noise(Vector(-1234.0 / 45.0, 1234.0 / 50.0, 1234.0 * 10004)) - 1.0;
	for (Real t : { 0.0, 5.0, 13.7, 39.0, 1234.5 })
		EXPECT_NEAR(Mod(t, b), frozen, kTight) << t;
	data()->SetReal(b + PULSOR_TAB_SPEED, 1.0);

	// Bias blends linearly between raw (0) and S-shaped (1) noise.
	const Real raw = Mod(13, b);
	data()->SetReal(b + PULSOR_TAB_BIAS, 1.0);
	const Real shaped = Mod(13, b);
	data()->SetReal(b + PULSOR_TAB_BIAS, 0.5);
	EXPECT_NEAR(Mod(13, b), 0.5 * (raw + shaped), kTight);
	EXPECT_NE(raw, shaped);
	data()->SetReal(b + PULSOR_TAB_BIAS, 0.0);

	// A falling remap curve mirrors the value.
	PutCurve(b + PULSOR_TAB_REMAP_CURVE, PULSOR_CURVE_FADE_DOWN);
	EXPECT_NEAR(Mod(13, b), -raw, kTight);
}

// ---- Output combination -----------------------------------------------------

TEST_F(EngineOutput, RealSumsTheBaseAndWeightedTabsThenAppliesVolume)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_START_VALUE + 1, 0.0);
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	data()->SetReal(PULSOR_VOLUME, 2.0);
	data()->SetReal(PULSOR_RANGE_MIN, 0.0);
	data()->SetReal(PULSOR_RANGE_MAX, 12.0);
	const LONG saw = PutTab(2, PULSOR_MOD_SAWTOOTH);
	data()->SetReal(saw + PULSOR_TAB_VARIATION + 1, 4.0);
	data()->SetReal(saw + PULSOR_TAB_STRENGTH, 0.5);
	const LONG square = PutTab(3, PULSOR_MOD_SQUARE);
	data()->SetReal(square + PULSOR_TAB_VARIATION + 1, -3.0);

	// t = 30: base 7.5; sawtooth 0.5 * 0.5 * 4 = 1; square 1 * 1 * -3 = -3.
	const BaseContainer out = Output(30);
	EXPECT_NEAR(out.GetReal(PULSOR_FINAL_OUTPUT + 1), (7.5 + 1 - 3) * 2.0, kTight);
	// Feedback: the contribution over +-|V * strength|; output: over +-6.
	EXPECT_NEAR(out.GetReal(saw + PULSOR_TAB_FEEDBACK_DISPLAY + 1), 0.5, kTight);
	EXPECT_NEAR(out.GetReal(saw + PULSOR_TAB_OUTPUT_DISPLAY + 1), 7.0 / 12.0, kTight);
	EXPECT_NEAR(out.GetReal(square + PULSOR_TAB_FEEDBACK_DISPLAY + 1), -1.0, kTight);
	EXPECT_NEAR(out.GetReal(square + PULSOR_TAB_OUTPUT_DISPLAY + 1), 0.25, kTight);
	EXPECT_NEAR(out.GetReal(PULSOR_BASE_DISPLAY + 1), 7.5 / 12.0, kTight);
	EXPECT_NEAR(out.GetReal(PULSOR_MASTER_DISPLAY + 1), 5.5 / 12.0, kTight);
	EXPECT_EQ(out.GetDataPointer(PULSOR_THRESHOLD_DISTANCE), nullptr);

	// Without feedback only the final output is computed.
	const BaseContainer bare = Output(30, 0);
	EXPECT_EQ(EntryCount(bare), 1);
	EXPECT_NEAR(bare.GetReal(PULSOR_FINAL_OUTPUT + 1), 11.0, kTight);

	// A tab of strength 0 shows -1 on its feedback display.
	data()->SetReal(saw + PULSOR_TAB_STRENGTH, 0.0);
	EXPECT_EQ(Output(30).GetReal(saw + PULSOR_TAB_FEEDBACK_DISPLAY + 1), -1.0);
}

TEST_F(EngineOutput, BoolComparesWithTheThreshold)
{
	Link(DTYPE_BOOL, 0, 1, DescID(PRIM_CUBE_DOFILLET));
	data()->SetReal(PULSOR_START_VALUE + 0, 0.0);
	data()->SetReal(PULSOR_END_VALUE + 0, 1.0);
	Base(1, 0, 40, PULSOR_CURVE_CONSTANT);
	data()->SetReal(PULSOR_THRESHOLD, 0.5);
	const auto check = [&](Real strength, Bool invert, Bool expected, Real distance) {
		data()->SetReal(PULSOR_STRENGTH, strength);
		data()->SetBool(PULSOR_INVERT, invert);
		const BaseContainer out = Output(12);
		ASSERT_NE(out.GetDataPointer(PULSOR_FINAL_OUTPUT + 0), nullptr);
		EXPECT_EQ(out.GetBool(PULSOR_FINAL_OUTPUT + 0), expected) << strength << " " << invert;
		EXPECT_NEAR(out.GetReal(PULSOR_THRESHOLD_DISTANCE), distance, kTight) << strength;
	};
	// A sum of exactly the threshold is not above it.
	check(0.5, FALSE, FALSE, 0.0);
	check(0.5, TRUE, TRUE, 0.0);
	check(0.75, FALSE, TRUE, 0.25);
	check(0.75, TRUE, FALSE, 0.25);
	check(0.25, FALSE, FALSE, -0.25);
}

TEST_F(EngineOutput, IntegerTruncatesTheBaseAndEachTabTowardZero)
{
	Link(DTYPE_LONG, 3, 8, DescID(PRIM_CUBE_SUBX));
	data()->SetLong(PULSOR_START_VALUE + 3, 0);
	data()->SetLong(PULSOR_END_VALUE + 3, 5);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	const LONG b = PutTab(2, PULSOR_MOD_SQUARE);  // unit output 1 at t = 20
	data()->SetLong(b + PULSOR_TAB_VARIATION + 3, 1);
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 2.9);
	data()->SetReal(PULSOR_RANGE_MIN, -10.0);
	data()->SetReal(PULSOR_RANGE_MAX, 10.0);

	// Base 2.5 -> 2; tab 2.9 -> 2: 4, where untruncated sums give 5.
	BaseContainer out = Output(20);
	EXPECT_EQ(out.GetType(PULSOR_FINAL_OUTPUT + 3), DA_LONG);
	EXPECT_EQ(out.GetLong(PULSOR_FINAL_OUTPUT + 3), 4);
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 8), 2.0 / 2.9, kTight);   // feedback of the truncated 2
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_OUTPUT_DISPLAY + 8), 12.0 / 20.0, kTight);  // (2 + 10) / 20
	EXPECT_NEAR(out.GetReal(PULSOR_BASE_DISPLAY + 8), 12.0 / 20.0, kTight);     // base 2
	EXPECT_NEAR(out.GetReal(PULSOR_MASTER_DISPLAY + 8), 14.0 / 20.0, kTight);     // master 4

	data()->SetReal(b + PULSOR_TAB_STRENGTH, -2.9);
	EXPECT_EQ(Output(20).GetLong(PULSOR_FINAL_OUTPUT + 3), 0);  // 2 + (-2)
	// Volume applies to the truncated sum and truncates again: 4 * 1.6 = 6.4.
	data()->SetReal(b + PULSOR_TAB_STRENGTH, 2.9);
	data()->SetReal(PULSOR_VOLUME, 1.6);
	EXPECT_EQ(Output(20).GetLong(PULSOR_FINAL_OUTPUT + 3), 6);
}

TEST_F(EngineOutput, VectorAndColourWorkPerComponent)
{
	const struct
	{
		LONG linkType, slot;
	} rows[] = { { DTYPE_VECTOR, 6 }, { DTYPE_COLOR, 2 } };
	for (const auto& row : rows)
	{
		SCOPED_TRACE(row.linkType);
		Link(row.linkType, row.slot, 2, DescID(row.linkType == DTYPE_VECTOR ? (LONG)ID_BASEOBJECT_REL_POSITION : (LONG)ID_BASEOBJECT_COLOR));
		data()->SetVector(PULSOR_START_VALUE + row.slot, Vector(0, 0, 0));
		data()->SetVector(PULSOR_END_VALUE + row.slot, Vector(10, 20, -30));
		Base(1, 0, 40, PULSOR_CURVE_LINEAR);
		data()->SetReal(PULSOR_RANGE_MIN, -40.0);
		data()->SetReal(PULSOR_RANGE_MAX, 40.0);
		const LONG b = PutTab(2, PULSOR_MOD_SAWTOOTH);  // shape 0.75 at t = 30
		data()->SetVector(b + PULSOR_TAB_VARIATION + row.slot, Vector(2, 4, 8));
		data()->SetReal(b + PULSOR_TAB_STRENGTH, 0.5);
		data()->SetBool(b + PULSOR_TAB_NEGATIVE + 1, FALSE);  // Y: 0 .. 1
		data()->SetBool(b + PULSOR_TAB_POSITIVE + 2, FALSE);  // Z: -1 .. 0

		// Base (7.5, 15, -22.5); unit outputs (0.5, 0.75, -0.25); times the
		// variation (1, 3, -2), then times the strength (0.5, 1.5, -1).
		const BaseContainer out = Output(30);
		const Vector f = out.GetVector(PULSOR_FINAL_OUTPUT + row.slot);
		EXPECT_NEAR(f.x, 8.0, kTight);
		EXPECT_NEAR(f.y, 16.5, kTight);
		EXPECT_NEAR(f.z, -23.5, kTight);
		// Feedback is taken before the strength; the 0..1 displays map
		// -40 .. 40 (x + 40) / 80.
		const Real feedback[3] = { 0.5, 0.75, -0.25 }, tab[3] = { 0.5, 1.5, -1 };
		const Real base[3] = { 7.5, 15, -22.5 }, master[3] = { 8, 16.5, -23.5 };
		for (LONG k = 0; k < 3; ++k)
		{
			EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 2 + k), feedback[k], kTight) << k;
			EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_OUTPUT_DISPLAY + 2 + k), (tab[k] + 40) / 80, kTight) << k;
			EXPECT_NEAR(out.GetReal(PULSOR_BASE_DISPLAY + 2 + k), (base[k] + 40) / 80, kTight) << k;
			EXPECT_NEAR(out.GetReal(PULSOR_MASTER_DISPLAY + 2 + k), (master[k] + 40) / 80, kTight) << k;
		}
		data()->SetContainer(PULSOR_TAB_LIST, BaseContainer());
	}
}

TEST_F(EngineOutput, TimeIsComputedInFramesAndReturnedAtTheDocumentRate)
{
	doc_->SetFps(24);
	Link(DTYPE_TIME, 5, 1, DescID(STANDIN_CUBE_TIME_OFFSET));
	data()->SetTime(PULSOR_START_VALUE + 5, BaseTime(0.0));
	data()->SetTime(PULSOR_END_VALUE + 5, BaseTime(2.0));  // 48 frames
	data()->SetLong(PULSOR_PLAYBACK, 1);
	data()->SetTime(PULSOR_START_TIME, BaseTime(0.0));
	data()->SetTime(PULSOR_END_TIME, BaseTime(4.0));      // 96 frames
	PutCurve(PULSOR_TIME_CURVE, PULSOR_CURVE_LINEAR);
	const LONG b = PutTab(2, PULSOR_MOD_SQUARE);
	data()->SetTime(b + PULSOR_TAB_VARIATION + 5, BaseTime(0.5));  // 12 frames
	data()->SetTime(b + PULSOR_TAB_LOOP_POINT, BaseTime(1.0));      // 24 frames
	data()->SetTime(b + PULSOR_TAB_END_TIME, BaseTime(4.0));

	// t = 48: base 24 frames; the square's second period is over, it reads
	// its curve at 0: -12 frames. (Counted at 30 fps the loop would be 30
	// frames and the phase 0.6: +12.)
	BaseContainer out = Output(48);
	ASSERT_EQ(out.GetType(PULSOR_FINAL_OUTPUT + 5), DA_TIME);
	BaseTime f = out.GetTime(PULSOR_FINAL_OUTPUT + 5);
	EXPECT_NEAR(f.GetNumerator(), 12.0, kTight);
	EXPECT_EQ(f.GetDenominator(), 24.0);
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 1), -1.0, kTight);
	// At t = 36, phase 0.5: base 18 frames + 12.
	out = Output(36);
	f = out.GetTime(PULSOR_FINAL_OUTPUT + 5);
	EXPECT_NEAR(f.GetNumerator(), 30.0, kTight);
	EXPECT_EQ(f.GetDenominator(), 24.0);
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 1), 1.0, kTight);
}

TEST_F(EngineOutput, VolumeZeroScalesTheOutputButNotTheDisplays)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	data()->SetReal(PULSOR_RANGE_MIN, 0.0);
	data()->SetReal(PULSOR_RANGE_MAX, 10.0);
	data()->SetReal(PULSOR_VOLUME, 0.0);
	const LONG b = PutTab(2, PULSOR_MOD_SQUARE);  // +1 at t = 30
	BaseContainer out = Output(30);
	EXPECT_EQ(out.GetReal(PULSOR_FINAL_OUTPUT + 1), 0.0);
	EXPECT_NEAR(out.GetReal(PULSOR_BASE_DISPLAY + 1), 0.75, kTight);
	EXPECT_NEAR(out.GetReal(PULSOR_MASTER_DISPLAY + 1), 0.85, kTight);
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 1), 1.0, kTight);

	// Bool: 0 - threshold decides.
	Link(DTYPE_BOOL, 0, 1, DescID(PRIM_CUBE_DOFILLET));
	data()->SetReal(PULSOR_END_VALUE + 0, 1.0);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 0, 1.0);
	for (Real threshold : { 0.5, 0.0 })
	{
		data()->SetReal(PULSOR_THRESHOLD, threshold);
		data()->SetBool(PULSOR_INVERT, FALSE);
		EXPECT_FALSE(Output(30).GetBool(PULSOR_FINAL_OUTPUT + 0)) << threshold;
		data()->SetBool(PULSOR_INVERT, TRUE);
		EXPECT_TRUE(Output(30).GetBool(PULSOR_FINAL_OUTPUT + 0)) << threshold;
	}
	data()->SetBool(PULSOR_INVERT, FALSE);
	data()->SetReal(PULSOR_THRESHOLD, -0.1);
	EXPECT_TRUE(Output(30).GetBool(PULSOR_FINAL_OUTPUT + 0));
}

TEST_F(EngineOutput, DisplaysReadZeroWhenTheRangeHasNoSpan)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	data()->SetReal(PULSOR_RANGE_MIN, 3.0);
	data()->SetReal(PULSOR_RANGE_MAX, 3.0);
	const LONG b = PutTab(2, PULSOR_MOD_SAWTOOTH);
	const BaseContainer out = Output(30);
	EXPECT_EQ(out.GetReal(PULSOR_BASE_DISPLAY + 1, -1), 0.0);
	EXPECT_EQ(out.GetReal(PULSOR_MASTER_DISPLAY + 1, -1), 0.0);
	EXPECT_EQ(out.GetReal(b + PULSOR_TAB_OUTPUT_DISPLAY + 1, -1), 0.0);
	// The feedback display does not depend on the range.
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 1), 0.5, kTight);
	EXPECT_NEAR(out.GetReal(PULSOR_FINAL_OUTPUT + 1), 8.0, kTight);
}

TEST_F(EngineOutput, SilentTabAndEmptyStack)
{
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	data()->SetReal(PULSOR_RANGE_MIN, -5.0);
	data()->SetReal(PULSOR_RANGE_MAX, 15.0);
	data()->SetReal(PULSOR_VOLUME, 0.5);

	// No tabs: final = base * volume, master display = base display.
	BaseContainer out = Output(10);
	EXPECT_NEAR(out.GetReal(PULSOR_FINAL_OUTPUT + 1), 1.25, kTight);
	EXPECT_NEAR(out.GetReal(PULSOR_BASE_DISPLAY + 1), 7.5 / 20.0, kTight);
	EXPECT_EQ(out.GetReal(PULSOR_MASTER_DISPLAY + 1), out.GetReal(PULSOR_BASE_DISPLAY + 1));

	// A tab with both switches off adds 0 and its feedback reads 0.
	const LONG b = PutTab(2, PULSOR_MOD_SQUARE);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 7.0);
	data()->SetBool(b + PULSOR_TAB_NEGATIVE, FALSE);
	data()->SetBool(b + PULSOR_TAB_POSITIVE, FALSE);
	out = Output(10);
	EXPECT_NEAR(out.GetReal(PULSOR_FINAL_OUTPUT + 1), 1.25, kTight);
	EXPECT_EQ(out.GetReal(b + PULSOR_TAB_FEEDBACK_DISPLAY + 1, -7), 0.0);
	EXPECT_NEAR(out.GetReal(b + PULSOR_TAB_OUTPUT_DISPLAY + 1), 0.5, kTight);

	// Switches that are absent read as off here: at shape 0 (t = 10) a
	// "Negative" on would pull 7 down, at shape 1 (t = 30) a "Positive" on
	// would push 7 up.
	data()->RemoveData(b + PULSOR_TAB_NEGATIVE);
	data()->RemoveData(b + PULSOR_TAB_POSITIVE);
	EXPECT_NEAR(Output(10).GetReal(PULSOR_FINAL_OUTPUT + 1), 1.25, kTight);
	EXPECT_NEAR(Output(30).GetReal(PULSOR_FINAL_OUTPUT + 1), 3.75, kTight);
}

TEST_F(EngineOutput, NaNLoopPointCountsAsZeroFrames)
{
	// A stored time that is not a number is 0 frames: the tab sits at its
	// low swing, -1 * variation.
	LinkReal(DescID(PRIM_CUBE_FRAD));
	data()->SetReal(PULSOR_END_VALUE + 1, 10.0);
	Base(1, 0, 40, PULSOR_CURVE_LINEAR);
	const LONG b = PutTab(2, PULSOR_MOD_SIN);
	data()->SetReal(b + PULSOR_TAB_VARIATION + 1, 3.0);
	data()->SetTime(b + PULSOR_TAB_LOOP_POINT, BaseTime(kNaN, kFps));
	EXPECT_NEAR(Output(20).GetReal(PULSOR_FINAL_OUTPUT + 1), 5.0 - 3.0, kTight);
}

TEST_F(EngineOutput, UnlinkedOrUnusableLinkGivesAnEmptyContainer)
{
	// A new tag holds the default identifier (one level with id 0).
	EXPECT_EQ(EntryCount(Output(10)), 0);
	data()->RemoveData(PULSOR_LINK_DESCID);
	EXPECT_EQ(EntryCount(Output(10)), 0);
	data()->SetReal(PULSOR_LINK_DESCID, 903.0);  // not an identifier
	EXPECT_EQ(EntryCount(Output(10)), 0);

	// Rows outside the link-type table address identifiers of other entries.
	const struct
	{
		LONG linkType, slot, mode;
	} hostile[] = {
		{ DTYPE_REAL, 9, 1 }, { DTYPE_REAL, -1, 1 }, { DTYPE_REAL, 7, 1 }, { DTYPE_REAL, 1, 3 },
		{ DTYPE_REAL, 1, 0 }, { DTYPE_LONG, 3, -8 }, { DTYPE_STRING, 1, 1 }, { 0, 1, 1 },
	};
	PutTab(2, PULSOR_MOD_SIN);
	for (const auto& h : hostile)
	{
		Link(h.linkType, h.slot, h.mode, DescID(PRIM_CUBE_FRAD));
		EXPECT_EQ(EntryCount(Output(10)), 0) << h.linkType << " " << h.slot << " " << h.mode;
	}
	// The same container with a proper row computes.
	Link(DTYPE_REAL, 1, 1, DescID(PRIM_CUBE_FRAD));
	EXPECT_GT(EntryCount(Output(10)), 0);
}
