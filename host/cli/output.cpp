#include "output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "platform.h"

namespace fs = std::filesystem;

std::string FormatNumber(double v)
{
	if (std::isnan(v))
		return "nan";
	if (std::isinf(v))
		return v < 0 ? "-inf" : "inf";
	if (v == 0.0)
		v = 0.0;    // no "-0" in a table
	char text[32];
	const std::to_chars_result r = std::to_chars(text, text + sizeof(text), v);
	return std::string(text, r.ptr);
}

namespace
{

std::string CsvField(const std::string& text)
{
	if (text.find_first_of(",\"\n\r") == std::string::npos)
		return text;
	std::string quoted = "\"";
	for (char c : text)
		quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
	return quoted + "\"";
}

std::string Cell(double v)
{
	return std::isnan(v) ? std::string() : FormatNumber(v);
}

} // namespace

std::string ToCsv(const Table& table)
{
	std::string out;
	for (size_t i = 0; i < table.columns.size(); ++i)
		out += (i ? "," : "") + CsvField(table.columns[i]);
	out += '\n';
	for (const std::vector<double>& row : table.rows)
	{
		for (size_t i = 0; i < row.size(); ++i)
			out += (i ? "," : "") + Cell(row[i]);
		out += '\n';
	}
	return out;
}

std::string ToText(const Table& table)
{
	std::vector<size_t> width(table.columns.size(), 10);
	for (size_t i = 0; i < table.columns.size(); ++i)
		width[i] = std::max(width[i], table.columns[i].size());
	std::string out;
	auto pad = [&](const std::string& text, size_t i) {
		out += (i ? "  " : "") + std::string(width[i] - std::min(width[i], text.size()), ' ') + text;
	};
	for (size_t i = 0; i < table.columns.size(); ++i)
		pad(table.columns[i], i);
	out += '\n';
	for (const std::vector<double>& row : table.rows)
	{
		for (size_t i = 0; i < row.size() && i < width.size(); ++i)
		{
			char text[32] = "";
			if (!std::isnan(row[i]))
				std::snprintf(text, sizeof(text), "%.6g", row[i] == 0.0 ? 0.0 : row[i]);
			pad(text, i);
		}
		out += '\n';
	}
	return out;
}

bool WriteOutputs(const std::vector<Output>& outputs, std::string* failed, std::string* problem)
{
	std::vector<std::unique_ptr<platform::FileReplacement>> staged(outputs.size());
	for (size_t i = 0; i < outputs.size(); ++i)
	{
		const Output& o = outputs[i];
		if (o.path == "-")
			continue;
		const fs::path target = fs::u8path(o.path);
		std::error_code ec;
		if (target.has_parent_path())
			fs::create_directories(target.parent_path(), ec);
		staged[i].reset(new platform::FileReplacement);
		platform::FileReplacement& file = *staged[i];
		if (!file.Begin(o.path) || !file.Write(o.content.data(), o.content.size()) || !file.Finish())
		{
			*failed = o.path;
			*problem = file.Problem();
			return false;    // the staged ones are dropped with their temporaries
		}
	}
	for (size_t i = 0; i < outputs.size(); ++i)
	{
		if (!staged[i])
			continue;
		if (!staged[i]->Install())
		{
			*failed = outputs[i].path;
			*problem = staged[i]->Problem();
			return false;
		}
	}
	for (const Output& o : outputs)
	{
		if (o.path != "-")
			continue;
		std::cout << o.content << std::flush;
		if (!std::cout)
		{
			*failed = "-";
			*problem = "cannot write to standard output";
			return false;
		}
	}
	return true;
}

std::string OutputInTheWay(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs,
	std::string* problem)
{
	for (size_t i = 0; i < outputs.size(); ++i)
	{
		const std::string& out = outputs[i];
		if (out == "-")
			continue;
		for (const std::string& in : inputs)
			if (out == in || platform::SameFile(out, in))
			{
				*problem = "is an input of the command: it is not written over";
				return out;
			}
		for (size_t k = 0; k < i; ++k)
			if (out == outputs[k] || platform::SameFile(out, outputs[k]))
			{
				*problem = "is named by two outputs of the command";
				return out;
			}
	}
	return std::string();
}
