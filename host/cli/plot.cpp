#include "plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "output.h"

namespace
{

// Distinguishable for colour-blind readers, dark enough on white.
const char* const kPalette[] = { "#0072b2", "#d55e00", "#009e73", "#cc79a7", "#e69f00", "#56b4e9", "#000000", "#999933" };

std::string Escape(const std::string& text)
{
	std::string out;
	for (char c : text)
	{
		switch (c)
		{
			case '&': out += "&amp;"; break;
			case '<': out += "&lt;"; break;
			case '>': out += "&gt;"; break;
			case '"': out += "&quot;"; break;
			default: out += c;
		}
	}
	return out;
}

std::string Num(double v)
{
	char text[32];
	std::snprintf(text, sizeof(text), "%.2f", v);
	return text;
}

// A tick label: no more digits than the tick step needs.
std::string TickLabel(double v, double step)
{
	if (std::fabs(v) < step * 1e-9)
		v = 0.0;
	const int decimals = step >= 1.0 ? 0 : std::min(9, (int)std::ceil(-std::log10(step) - 1e-9));
	char text[48];
	std::snprintf(text, sizeof(text), "%.*f", decimals, v);
	return text;
}

struct Range
{
	double lo = 0.0;
	double hi = 0.0;
	bool any = false;
	void Add(double v)
	{
		if (!std::isfinite(v))
			return;
		lo = any ? std::min(lo, v) : v;
		hi = any ? std::max(hi, v) : v;
		any = true;
	}
	// An empty range gets room around its value; for a value so large that
	// the room is lost in rounding, room in proportion to it.
	void Widen(double room)
	{
		if (hi > lo)
			return;
		const double r = std::max(room, std::fabs(lo) * 1e-6);
		lo -= r;
		hi += r;
	}
	// Where v lies from lo (0) to hi (1). Halved first, so that a span wider
	// than the largest double still divides.
	double Fraction(double v) const { return (v / 2 - lo / 2) / (hi / 2 - lo / 2); }
};

} // namespace

std::vector<double> NiceTicks(double lo, double hi, int count)
{
	std::vector<double> ticks;
	if (!std::isfinite(lo) || !std::isfinite(hi) || hi < lo || count < 1)
		return ticks;
	const double span = hi - lo;
	if (span <= 0.0)
		return { lo };
	// Wider than the largest double: no step of it is a number.
	if (!std::isfinite(span))
		return ticks;
	const double raw = span / count;
	const double power = std::pow(10.0, std::floor(std::log10(raw)));
	double step = 10.0 * power;
	for (double m : { 1.0, 2.0, 5.0 })
		if (m * power >= raw)
		{
			step = m * power;
			break;
		}
	const double first = std::ceil(lo / step - 1e-9);
	for (double k = first; k * step <= hi + step * 1e-9 && ticks.size() < 100; k += 1.0)
		ticks.push_back(k * step + 0.0);    // never -0
	return ticks;
}

std::string PlotSvg(const std::vector<double>& frames, const std::vector<PlotSeries>& series, const PlotOptions& options)
{
	const double left = 64, top = options.title.empty() ? 16 : 40, bottom = 48;
	double legendWidth = 0;
	for (const PlotSeries& s : series)
		legendWidth = std::max(legendWidth, 34.0 + 7.0 * (double)s.name.size());
	const double right = 16 + std::min(legendWidth, 320.0);
	const double width = options.width, height = options.height;
	const double plotW = width - left - right, plotH = height - top - bottom;

	Range x, y;
	for (double f : frames)
		x.Add(f);
	for (const PlotSeries& s : series)
		for (double v : s.values)
			y.Add(v);
	if (!x.any)
		x.Add(0.0), x.Add(1.0);
	if (!y.any)
		y.Add(0.0), y.Add(1.0);
	x.Widen(1.0);
	y.Widen(0.5);
	// A little air above and below the curves, where there is room for it.
	const double pad = (y.hi - y.lo) * 0.05;
	if (std::isfinite(y.lo - pad) && std::isfinite(y.hi + pad))
		y.lo -= pad, y.hi += pad;
	const std::vector<double> xTicks = NiceTicks(x.lo, x.hi, 8);
	const std::vector<double> yTicks = NiceTicks(y.lo, y.hi, 6);
	const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1.0;
	const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1.0;
	auto px = [&](double f) { return left + x.Fraction(f) * plotW; };
	auto py = [&](double v) { return top + (1.0 - y.Fraction(v)) * plotH; };

	std::string svg;
	svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" + Num(height)
		+ "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) + "\" font-family=\"Helvetica, Arial, sans-serif\" font-size=\"12\">\n";
	svg += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
	if (!options.title.empty())
		svg += "<text x=\"" + Num(left) + "\" y=\"24\" font-size=\"15\" font-weight=\"bold\" fill=\"#222\">" + Escape(options.title) + "</text>\n";
	svg += "<g stroke=\"#e4e4e4\" stroke-width=\"1\">\n";
	for (double t : xTicks)
		svg += "<line x1=\"" + Num(px(t)) + "\" y1=\"" + Num(top) + "\" x2=\"" + Num(px(t)) + "\" y2=\"" + Num(top + plotH) + "\"/>\n";
	for (double t : yTicks)
		svg += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(py(t)) + "\" x2=\"" + Num(left + plotW) + "\" y2=\"" + Num(py(t)) + "\"/>\n";
	svg += "</g>\n";
	svg += "<rect x=\"" + Num(left) + "\" y=\"" + Num(top) + "\" width=\"" + Num(plotW) + "\" height=\"" + Num(plotH)
		+ "\" fill=\"none\" stroke=\"#888\"/>\n";
	svg += "<g fill=\"#444\" text-anchor=\"middle\">\n";
	for (double t : xTicks)
		svg += "<text x=\"" + Num(px(t)) + "\" y=\"" + Num(top + plotH + 16) + "\">" + TickLabel(t, xStep) + "</text>\n";
	svg += "<text x=\"" + Num(left + plotW / 2) + "\" y=\"" + Num(height - 10) + "\">frame</text>\n";
	svg += "</g>\n<g fill=\"#444\" text-anchor=\"end\">\n";
	for (double t : yTicks)
		svg += "<text x=\"" + Num(left - 6) + "\" y=\"" + Num(py(t) + 4) + "\">" + TickLabel(t, yStep) + "</text>\n";
	svg += "</g>\n";
	svg += "<text transform=\"translate(14 " + Num(top + plotH / 2) + ") rotate(-90)\" fill=\"#444\" text-anchor=\"middle\">value</text>\n";

	svg += "<g fill=\"none\" stroke-width=\"1.8\" stroke-linejoin=\"round\">\n";
	for (size_t i = 0; i < series.size(); ++i)
	{
		const char* colour = kPalette[i % (sizeof(kPalette) / sizeof(kPalette[0]))];
		std::string points;
		auto flush = [&]() {
			if (!points.empty())
				svg += "<polyline stroke=\"" + std::string(colour) + "\" points=\"" + points + "\"/>\n";
			points.clear();
		};
		for (size_t k = 0; k < frames.size() && k < series[i].values.size(); ++k)
		{
			const double v = series[i].values[k];
			const double cx = px(frames[k]), cy = py(v);
			if (!std::isfinite(cx) || !std::isfinite(cy))
			{
				flush();
				continue;
			}
			points += (points.empty() ? "" : " ") + Num(cx) + "," + Num(cy);
		}
		flush();
	}
	svg += "</g>\n<g font-size=\"12\" fill=\"#222\">\n";
	for (size_t i = 0; i < series.size(); ++i)
	{
		const char* colour = kPalette[i % (sizeof(kPalette) / sizeof(kPalette[0]))];
		const double ly = top + 10 + 18.0 * (double)i;
		const double lx = left + plotW + 12;
		svg += "<line x1=\"" + Num(lx) + "\" y1=\"" + Num(ly) + "\" x2=\"" + Num(lx + 20) + "\" y2=\"" + Num(ly)
			+ "\" stroke=\"" + colour + "\" stroke-width=\"2.5\"/>\n";
		svg += "<text x=\"" + Num(lx + 26) + "\" y=\"" + Num(ly + 4) + "\">" + Escape(series[i].name) + "</text>\n";
	}
	svg += "</g>\n</svg>\n";
	return svg;
}
