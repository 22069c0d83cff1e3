// What the program writes: numbers, tables as CSV and as text, and files
// that appear whole or not at all.
#ifndef PULSORHOST_OUTPUT_H__
#define PULSORHOST_OUTPUT_H__

#include <string>
#include <vector>

// The shortest text that reads back as exactly v ("0.1", "100", "-2.5e-07");
// "nan", "inf" and "-inf" for the rest. The same on every platform.
std::string FormatNumber(double v);

// A table of numbers with named columns; a missing value is NaN and
// prints as an empty cell.
struct Table
{
	std::vector<std::string> columns;
	std::vector<std::vector<double>> rows;
};

// CSV: a header line, then one line per row. Names with commas or quotes
// are quoted.
std::string ToCsv(const Table& table);

// A compact fixed-width text table, values to six significant digits.
std::string ToText(const Table& table);

// Writes content to path through a temporary file in the same folder that
// is renamed over path, so that path never holds half a file. Creates
// missing folders. False with *problem set when it cannot.
bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* problem);

#endif
