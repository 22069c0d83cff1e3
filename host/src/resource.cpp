// Module resources: symbol headers, string tables and description resources.
//
// Grammar (whitespace, // and /* */ comments anywhere; lines starting with
// '#' are skipped):
//   symbols      := ( "enum" "{" ( IDENT [ "=" INT ] [ "," ] )* "}" [ ";" ] )*
//   string table := "STRINGTABLE" [ IDENT ] "{" ( IDENT STRING ";" )* "}"
//   description  := "CONTAINER" IDENT "{" statement* "}"
//   statement    := "NAME" IDENT ";" | "INCLUDE" IDENT ";"
//                 | TYPE IDENT "{" ( IDENT [ value ] ";" )* "}"
//   TYPE         := LONG | REAL | BOOL | TIME | VECTOR | COLOR | STRING
// A malformed file is refused as a whole, with one line naming the file, the
// line and the problem.
#include "c4d_resource.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "c4d_general.h"
#include "customgui_priority.h"
#include "description_registry.h"
#include "host_services.h"
#include "host_string.h"

namespace
{

// Resource files are small; anything larger is not one.
const size_t kMaxFileSize = 1 << 20;

struct Token
{
	enum Kind { IDENT, NUMBER, TEXT, PUNCT, END } kind;
	std::string text;
	int line;
};

class Parser
{
public:
	Parser(const std::string& file, const std::string& source) : file_(file), src_(source) { Next(); }

	const Token& Peek() const { return token_; }
	bool Failed() const { return failed_; }
	bool AtEnd() const { return token_.kind == Token::END; }

	bool Fail(const std::string& problem)
	{
		if (!failed_)
		{
			failed_ = true;
			HostReportError(file_ + ":" + std::to_string(token_.line) + ": " + problem);
		}
		return false;
	}

	bool Accept(const char* punct)
	{
		if (token_.kind == Token::PUNCT && token_.text == punct)
		{
			Next();
			return true;
		}
		return false;
	}

	bool Expect(const char* punct)
	{
		return Accept(punct) || Fail(std::string("expected '") + punct + "', found '" + token_.text + "'");
	}

	bool Ident(std::string* out)
	{
		if (token_.kind != Token::IDENT)
			return Fail("expected a name, found '" + token_.text + "'");
		*out = token_.text;
		Next();
		return true;
	}

	bool Number(long long* out)
	{
		if (token_.kind != Token::NUMBER)
			return Fail("expected a number, found '" + token_.text + "'");
		errno = 0;
		char* end = nullptr;
		const long long v = std::strtoll(token_.text.c_str(), &end, 10);
		if (errno == ERANGE || *end != '\0' || v < -2147483648LL || v > 2147483647LL)
			return Fail("number out of range: " + token_.text);
		*out = v;
		Next();
		return true;
	}

	bool Text(std::string* out)
	{
		if (token_.kind != Token::TEXT)
			return Fail("expected a quoted text, found '" + token_.text + "'");
		*out = token_.text;
		Next();
		return true;
	}

	void Skip() { Next(); }

private:
	void Next()
	{
		SkipBlanks();
		token_.line = line_;
		token_.text.clear();
		if (pos_ >= src_.size())
		{
			token_.kind = Token::END;
			token_.text = "end of file";
			return;
		}
		const char c = src_[pos_];
		if (std::isalpha((unsigned char)c) || c == '_')
		{
			token_.kind = Token::IDENT;
			while (pos_ < src_.size() && (std::isalnum((unsigned char)src_[pos_]) || src_[pos_] == '_'))
				token_.text += src_[pos_++];
		}
		else if (std::isdigit((unsigned char)c) || ((c == '-' || c == '+') && pos_ + 1 < src_.size() && std::isdigit((unsigned char)src_[pos_ + 1])))
		{
			token_.kind = Token::NUMBER;
			token_.text += src_[pos_++];
			while (pos_ < src_.size() && (std::isalnum((unsigned char)src_[pos_]) || src_[pos_] == '.'))
				token_.text += src_[pos_++];
		}
		else if (c == '"')
		{
			token_.kind = Token::TEXT;
			++pos_;
			for (;;)
			{
				if (pos_ >= src_.size() || src_[pos_] == '\n')
				{
					token_.kind = Token::PUNCT;
					token_.text = "unterminated text";
					Fail("unterminated text");
					pos_ = src_.size();
					return;
				}
				char ch = src_[pos_++];
				if (ch == '"')
					break;
				if (ch == '\\' && pos_ < src_.size())
					ch = src_[pos_++];
				token_.text += ch;
			}
		}
		else
		{
			token_.kind = Token::PUNCT;
			token_.text = std::string(1, c);
			++pos_;
		}
	}

	void SkipBlanks()
	{
		for (;;)
		{
			while (pos_ < src_.size() && std::isspace((unsigned char)src_[pos_]))
				if (src_[pos_++] == '\n')
					++line_;
			if (pos_ + 1 < src_.size() && src_[pos_] == '/' && src_[pos_ + 1] == '/')
			{
				while (pos_ < src_.size() && src_[pos_] != '\n')
					++pos_;
				continue;
			}
			if (pos_ + 1 < src_.size() && src_[pos_] == '/' && src_[pos_ + 1] == '*')
			{
				pos_ += 2;
				while (pos_ + 1 < src_.size() && !(src_[pos_] == '*' && src_[pos_ + 1] == '/'))
					if (src_[pos_++] == '\n')
						++line_;
				pos_ = pos_ + 2 <= src_.size() ? pos_ + 2 : src_.size();
				continue;
			}
			if (pos_ < src_.size() && src_[pos_] == '#' && AtLineStart())
			{
				while (pos_ < src_.size() && src_[pos_] != '\n')
					++pos_;
				continue;
			}
			return;
		}
	}

	bool AtLineStart() const
	{
		for (size_t i = pos_; i-- > 0;)
		{
			if (src_[i] == '\n')
				return true;
			if (!std::isspace((unsigned char)src_[i]))
				return false;
		}
		return true;
	}

	std::string file_;
	std::string src_;
	size_t pos_ = 0;
	int line_ = 1;
	Token token_;
	bool failed_ = false;
};

// The file's text; FALSE when it cannot be read or is too large to be a
// resource. A missing optional file reads as empty when optional is true.
bool ReadFile(const std::string& path, bool optional, std::string* text)
{
	std::ifstream in(path, std::ios::binary);
	if (!in)
	{
		if (optional)
			return true;
		HostReportError(path + ": cannot be read");
		return false;
	}
	std::ostringstream s;
	s << in.rdbuf();
	if (s.str().size() > kMaxFileSize)
	{
		HostReportError(path + ": too large for a resource file");
		return false;
	}
	*text = s.str();
	return true;
}

using Symbols = std::map<std::string, LONG>;

bool ParseSymbols(const std::string& path, const std::string& text, Symbols* symbols)
{
	Parser p(path, text);
	while (!p.AtEnd() && !p.Failed())
	{
		std::string word;
		if (!p.Ident(&word))
			break;
		if (word != "enum")
			return p.Fail("expected 'enum', found '" + word + "'");
		if (!p.Expect("{"))
			break;
		long long next = 0;
		while (!p.Accept("}"))
		{
			std::string name;
			if (!p.Ident(&name))
				return false;
			if (p.Accept("=") && !p.Number(&next))
				return false;
			if (next > 2147483647LL)
				return p.Fail("symbol value out of range: " + name);
			(*symbols)[name] = (LONG)next;
			++next;
			if (!p.Accept(",") && !(p.Peek().kind == Token::PUNCT && p.Peek().text == "}"))
				return p.Fail("expected ',' or '}' after " + name);
		}
		p.Accept(";");
	}
	return !p.Failed();
}

bool ParseStringTable(const std::string& path, const std::string& text, const Symbols& symbols,
	std::map<LONG, std::string>* strings)
{
	if (text.empty())
		return true;
	Parser p(path, text);
	std::string word;
	if (!p.Ident(&word) || word != "STRINGTABLE")
		return p.Fail("expected 'STRINGTABLE'");
	if (p.Peek().kind == Token::IDENT)
		p.Skip();
	if (!p.Expect("{"))
		return false;
	while (!p.Accept("}"))
	{
		std::string name;
		std::string value;
		if (!p.Ident(&name) || !p.Text(&value) || !p.Expect(";"))
			return false;
		auto it = symbols.find(name);
		if (it == symbols.end())
			return p.Fail("unknown symbol " + name);
		(*strings)[it->second] = value;
	}
	if (!p.AtEnd())
		return p.Fail("unexpected '" + p.Peek().text + "' after the table");
	return true;
}

LONG ElementType(const std::string& word)
{
	static const std::map<std::string, LONG> types = {
		{ "LONG", DTYPE_LONG }, { "REAL", DTYPE_REAL }, { "BOOL", DTYPE_BOOL }, { "TIME", DTYPE_TIME },
		{ "VECTOR", DTYPE_VECTOR }, { "COLOR", DTYPE_COLOR }, { "STRING", DTYPE_STRING },
	};
	auto it = types.find(word);
	return it == types.end() ? 0 : it->second;
}

bool ParseDescription(const std::string& path, const std::string& text, const Symbols& symbols,
	const std::map<LONG, std::string>& names, DescriptionResource* out)
{
	Parser p(path, text);
	std::string word;
	if (!p.Ident(&word) || word != "CONTAINER")
		return p.Fail("expected 'CONTAINER'");
	if (!p.Ident(&out->name) || !p.Expect("{"))
		return false;
	auto id = symbols.find(out->name);
	if (id == symbols.end())
		return p.Fail("no symbol for " + out->name);
	out->id = id->second;
	while (!p.Accept("}"))
	{
		std::string statement;
		if (!p.Ident(&statement))
			return false;
		std::string name;
		if (statement == "NAME")
		{
			if (!p.Ident(&name) || !p.Expect(";"))
				return false;
			continue;
		}
		if (statement == "INCLUDE")
		{
			if (!p.Ident(&name) || !p.Expect(";"))
				return false;
			DescriptionResource base;
			if (!FindDescriptionResource(name, &base))
				return p.Fail("unknown description " + name);
			out->elements.insert(out->elements.end(), base.elements.begin(), base.elements.end());
			continue;
		}
		const LONG dtype = ElementType(statement);
		if (!dtype)
			return p.Fail("unknown statement " + statement);
		if (!p.Ident(&name))
			return false;
		auto symbol = symbols.find(name);
		if (symbol == symbols.end())
			return p.Fail("unknown symbol " + name);
		BaseContainer settings(dtype);
		auto label = names.find(symbol->second);
		settings.SetString(DESC_NAME, label != names.end() ? HostString(label->second) : HostString(name));
		if (!p.Expect("{"))
			return false;
		while (!p.Accept("}"))
		{
			std::string key;
			if (!p.Ident(&key))
				return false;
			while (!p.Failed() && !p.Accept(";"))
			{
				if (p.AtEnd())
					return p.Fail("unterminated setting " + key);
				p.Skip();
			}
		}
		out->elements.push_back(DescriptionElement{ DescID(DescLevel(symbol->second, dtype, 0)), settings, DescID() });
	}
	if (!p.AtEnd())
		return p.Fail("unexpected '" + p.Peek().text + "' after the container");
	return !p.Failed();
}

std::string Join(const std::string& a, const std::string& b)
{
	if (a.empty())
		return b;
	return a.back() == '/' ? a + b : a + "/" + b;
}

} // namespace

struct GeResource::Impl
{
	std::map<LONG, String> strings;
};

GeResource::GeResource() : impl_(nullptr) {}

GeResource::~GeResource()
{
	Free();
}

void GeResource::Free()
{
	delete impl_;
	impl_ = nullptr;
}

Bool GeResource::Init(const Filename& folder)
{
	const std::string res = Join(folder.GetString().GetStdString(), "res");
	std::string text;
	Symbols symbols;
	const std::string symbolsPath = Join(res, "c4d_symbols.h");
	if (!ReadFile(symbolsPath, false, &text) || !ParseSymbols(symbolsPath, text, &symbols))
		return FALSE;
	std::map<LONG, std::string> strings;
	const std::string stringsPath = Join(res, "strings_us/c4d_strings.str");
	text.clear();
	if (!ReadFile(stringsPath, false, &text) || !ParseStringTable(stringsPath, text, symbols, &strings))
		return FALSE;

	// Every description of the folder, with its own symbols and strings.
	BrowseFiles browse;
	browse.Init(Filename(HostString(Join(res, "description"))), 0);
	std::vector<DescriptionResource> descriptions;
	while (browse.GetNext())
	{
		const std::string file = browse.GetFilename().GetString().GetStdString();
		if (file.size() < 5 || file.compare(file.size() - 4, 4, ".res") != 0)
			continue;
		const std::string stem = file.substr(0, file.size() - 4);
		Symbols own = symbols;
		const std::string headerPath = Join(res, "description/" + stem + ".h");
		text.clear();
		if (!ReadFile(headerPath, false, &text) || !ParseSymbols(headerPath, text, &own))
			return FALSE;
		std::map<LONG, std::string> names;
		const std::string namesPath = Join(res, "strings_us/description/" + stem + ".str");
		text.clear();
		if (!ReadFile(namesPath, true, &text) || !ParseStringTable(namesPath, text, own, &names))
			return FALSE;
		const std::string resPath = Join(res, "description/" + file);
		text.clear();
		DescriptionResource description;
		if (!ReadFile(resPath, false, &text) || !ParseDescription(resPath, text, own, names, &description))
			return FALSE;
		descriptions.push_back(description);
	}
	for (const DescriptionResource& d : descriptions)
		RegisterDescriptionResource(d);
	Free();
	impl_ = new Impl;
	for (const std::pair<const LONG, std::string>& s : strings)
		impl_->strings[s.first] = HostString(s.second);
	return TRUE;
}

const String& GeResource::LoadString(LONG id) const
{
	static const String empty;
	if (!impl_)
		return empty;
	auto it = impl_->strings.find(id);
	return it == impl_->strings.end() ? empty : it->second;
}

// ---- The registry -----------------------------------------------------------

namespace
{

struct Registry
{
	std::mutex lock;
	std::map<std::string, DescriptionResource> resources;
};

Registry& GetRegistry()
{
	static Registry r;
	return r;
}

DescriptionResource BuiltIn(const std::string& name)
{
	DescriptionResource d;
	d.name = name;
	BaseContainer nameSettings(DTYPE_STRING);
	nameSettings.SetString(DESC_NAME, "Name");
	d.elements.push_back(DescriptionElement{ DescID(DescLevel(ID_BASELIST_NAME, DTYPE_STRING, 0)), nameSettings, DescID() });
	if (name == "Texpression")
	{
		BaseContainer priority(CUSTOMGUI_PRIORITY_DATA);
		priority.SetString(DESC_NAME, "Priority");
		d.elements.push_back(DescriptionElement{ DescID(DescLevel(EXPRESSION_PRIORITY, CUSTOMGUI_PRIORITY_DATA, 0)), priority, DescID() });
	}
	return d;
}

} // namespace

bool RegisterDescriptionResource(const DescriptionResource& resource)
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	r.resources[resource.name] = resource;
	return true;
}

bool FindDescriptionResource(const std::string& name, DescriptionResource* resource)
{
	if (name == "Tbase" || name == "Texpression")
	{
		*resource = BuiltIn(name);
		return true;
	}
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	auto it = r.resources.find(name);
	if (it == r.resources.end())
		return false;
	*resource = it->second;
	return true;
}

void UnregisterDescriptionResources()
{
	Registry& r = GetRegistry();
	std::lock_guard<std::mutex> guard(r.lock);
	r.resources.clear();
}
