#include "output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
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

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string* problem)
{
	const fs::path target = fs::u8path(path);
	std::error_code ec;
	if (target.has_parent_path())
		fs::create_directories(target.parent_path(), ec);
	std::random_device random;
	fs::path temp = target;
	temp += ".tmp" + std::to_string(random() % 1000000);
	{
		std::ofstream out(temp, std::ios::binary | std::ios::trunc);
		out.write(content.data(), (std::streamsize)content.size());
		out.close();
		if (!out)
		{
			fs::remove(temp, ec);
			*problem = "cannot write " + path;
			return false;
		}
	}
	if (!platform::RenameOver(temp.u8string(), target.u8string()))
	{
		fs::remove(temp, ec);
		*problem = "cannot write " + path;
		return false;
	}
	return true;
}
