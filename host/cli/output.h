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

// One output of a command: "-" is standard output.
struct Output
{
	std::string path;
	std::string content;
};

// Writes every output or, when one cannot be written, none: each file is
// staged beside its target first (missing folders are made), and only when
// all are staged are they put in place and standard output written. What the
// paths name is never replaced by anything but a whole new file (see
// platform::FileReplacement). False with *failed naming the output and
// *problem the cause.
bool WriteOutputs(const std::vector<Output>& outputs, std::string* failed, std::string* problem);

// The first output path that names one of the inputs, or another output
// (the same file, by device and inode where it exists); empty when none does.
// *problem says which.
std::string OutputInTheWay(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs,
	std::string* problem);

#endif
