// Line plots as SVG: one line per series over frames, axes labelled in
// frames and values, a legend with the series' names.
#ifndef PULSORHOST_PLOT_H__
#define PULSORHOST_PLOT_H__

#include <string>
#include <vector>

struct PlotSeries
{
	std::string name;
	std::vector<double> values;    // one per frame; NaN leaves a gap
};

struct PlotOptions
{
	std::string title;
	int width = 860;
	int height = 420;
};

// Ticks for an axis over [lo, hi]: multiples of 1, 2 or 5 times a power of
// ten, about count of them, covering the range.
std::vector<double> NiceTicks(double lo, double hi, int count);

std::string PlotSvg(const std::vector<double>& frames, const std::vector<PlotSeries>& series, const PlotOptions& options);

#endif
