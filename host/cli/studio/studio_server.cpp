#include "studio_server.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>

#include "platform.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace
{

// The most one static file may be: the front end's bundles and help pages
// are far smaller.
const size_t kMaxStaticFile = size_t(64) << 20;

std::string Dump(const json& j)
{
	// Names in a document need not be valid UTF-8.
	return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

// cpp-httplib compresses an answer whenever the browser offers an encoding,
// and with brotli at its slowest setting: 160 KB of JSON took 0.8 s, and the
// front end's script several seconds. It picks the types it compresses by
// their exact names, so these names, as valid as the bare ones, keep answers
// plain. On the loopback address compression only costs time.
const char* const kJsonType = "application/json; charset=utf-8";
const char* const kScriptType = "application/javascript; charset=utf-8";

void SendError(httplib::Response& res, int status, const std::string& problem, const json& extra = json::object())
{
	json body = extra.is_object() ? extra : json::object();
	body["error"] = problem;
	res.status = status;
	res.set_content(Dump(body), kJsonType);
}

bool ConstantTimeEqual(const std::string& a, const std::string& b)
{
	if (a.size() != b.size())
		return false;
	unsigned char diff = 0;
	for (size_t i = 0; i < a.size(); ++i)
		diff |= (unsigned char)(a[i] ^ b[i]);
	return diff == 0;
}

json Body(const httplib::Request& req)
{
	try
	{
		return json::parse(req.body);
	}
	catch (const json::exception&)
	{
		throw ApiError{ 400, "the request body is not valid JSON" };
	}
}

long long PathId(const httplib::Request& req)
{
	return std::stoll(req.matches[1].str());
}

std::string ContentType(const fs::path& file)
{
	static const std::map<std::string, const char*> types = { { ".html", "text/html; charset=utf-8" },
		{ ".js", kScriptType }, { ".mjs", kScriptType },
		{ ".css", "text/css; charset=utf-8" }, { ".svg", "image/svg+xml" }, { ".png", "image/png" },
		{ ".json", kJsonType }, { ".map", kJsonType }, { ".ico", "image/x-icon" },
		{ ".woff2", "font/woff2" }, { ".txt", "text/plain; charset=utf-8" } };
	const auto it = types.find(file.extension().u8string());
	return it != types.end() ? it->second : "application/octet-stream";
}

// The file relative names inside root, its index.html for a folder; empty
// when there is none, or when the name leads outside root (by "..", or by a
// link that points out).
fs::path StaticFile(const std::string& root, const std::string& relative)
{
	if (root.empty() || relative.find('\0') != std::string::npos || relative.find('\\') != std::string::npos)
		return fs::path();
	const fs::path rel = fs::u8path(relative);
	for (const fs::path& part : rel)
		if (part == ".." || part == ".")
			return fs::path();
	std::error_code ec;
	const fs::path base = fs::canonical(fs::u8path(root), ec);
	if (ec)
		return fs::path();
	fs::path file = fs::canonical(base / rel.relative_path(), ec);
	if (ec)
		return fs::path();
	if (fs::is_directory(file, ec))
		file = fs::canonical(file / "index.html", ec);
	if (ec || !fs::is_regular_file(file, ec))
		return fs::path();
	const fs::path inside = file.lexically_relative(base);
	if (inside.empty() || *inside.begin() == "..")
		return fs::path();
	return file;
}

} // namespace

std::string NewToken()
{
	return RandomHex(32);
}

StudioServer::StudioServer(Studio& studio, StudioServerOptions options)
	: studio_(studio), options_(std::move(options)), server_(new httplib::Server)
{
	if (options_.token.empty())
		options_.token = NewToken();
	announcedRevision_ = studio_.Revision();
	Routes();
}

StudioServer::~StudioServer() = default;

bool StudioServer::Bind(int port)
{
	if (port == 0)
		port_ = server_->bind_to_any_port("127.0.0.1");
	else
		port_ = server_->bind_to_port("127.0.0.1", port) ? port : -1;
	return port_ > 0;
}

std::string StudioServer::Url() const
{
	return "http://127.0.0.1:" + std::to_string(port_) + "/?token=" + options_.token;
}

bool StudioServer::Serve()
{
	return server_->listen_after_bind();
}

bool StudioServer::Serving() const
{
	return server_->is_running();
}

void StudioServer::Stop()
{
	{
		std::lock_guard<std::mutex> lock(events_);
		stopping_ = true;
	}
	announced_.notify_all();
	server_->stop();
}

void StudioServer::Announce()
{
	const long long revision = studio_.Revision();
	{
		std::lock_guard<std::mutex> lock(events_);
		if (revision == announcedRevision_)
			return;
		announcedRevision_ = revision;
	}
	announced_.notify_all();
}

bool StudioServer::NextEvent(long long* sent, httplib::DataSink& sink)
{
	std::string piece;
	{
		std::unique_lock<std::mutex> lock(events_);
		const bool moved = announced_.wait_for(lock, std::chrono::seconds(5),
			[&] { return stopping_ || announcedRevision_ != *sent; });
		if (stopping_)
			return false;
		if (moved)
		{
			*sent = announcedRevision_;
			piece = "event: revision\ndata: {\"revision\": " + std::to_string(*sent) + "}\n\n";
		}
		else
			piece = ": keep-alive\n\n";
	}
	return sink.write(piece.data(), piece.size());
}

void StudioServer::Routes()
{
	httplib::Server& s = *server_;
	s.set_payload_max_length(kMaxBody);
	// A small answer goes out at once, not after the client's delayed ACK.
	s.set_tcp_nodelay(true);
	// A stop waits for idle keep-alive connections to time out: short, so a
	// studio ends promptly while a browser holds its connections open.
	s.set_keep_alive_timeout(1);
	// Event streams hold a thread each; the rest serve requests.
	s.new_task_queue = [] { return new httplib::ThreadPool(kMaxEventStreams + 16); };
	// httplib's default shares the port (SO_REUSEPORT) with any later server
	// of the same user, which would then answer half of the page's requests.
	// A port in use is refused instead; only a closing one is taken over.
	s.set_socket_options([](socket_t sock) {
		int yes = 1;
		setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<char*>(&yes), sizeof(yes));
	});

	// Every request: from this machine's browser to this port, and for the
	// API with the token; changes only from the studio's own pages.
	s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
		const std::string port = std::to_string(port_);
		const std::string host = req.get_header_value("Host");
		if (host != "127.0.0.1:" + port && host != "localhost:" + port)
		{
			SendError(res, 403, "the Host header must be 127.0.0.1:" + port + " or localhost:" + port);
			return httplib::Server::HandlerResponse::Handled;
		}
		const bool changes = req.method != "GET" && req.method != "HEAD" && req.method != "OPTIONS";
		if (changes && req.has_header("Origin"))
		{
			const std::string origin = req.get_header_value("Origin");
			if (origin != "http://127.0.0.1:" + port && origin != "http://localhost:" + port)
			{
				SendError(res, 403, "requests from another origin are refused");
				return httplib::Server::HandlerResponse::Handled;
			}
		}
		if (req.path.compare(0, 5, "/api/") != 0)
			return httplib::Server::HandlerResponse::Unhandled;
		std::string token = req.get_header_value("X-Pulsor-Token");
		if (token.empty() && req.method == "GET")
			token = req.get_param_value("token");
		if (token.empty())
		{
			SendError(res, 401, "the request needs the studio's token");
			return httplib::Server::HandlerResponse::Handled;
		}
		if (!ConstantTimeEqual(token, options_.token))
		{
			SendError(res, 403, "the token is wrong");
			return httplib::Server::HandlerResponse::Handled;
		}
		return httplib::Server::HandlerResponse::Unhandled;
	});
	// httplib's own refusals (a body too large, a bad request line) and
	// unknown paths still answer in the API's form.
	s.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
		if (!res.body.empty())
			return;
		const bool unsized = !req.has_header("Content-Length") && req.get_header_value("Transfer-Encoding") != "chunked";
		if (res.status == 400 && req.method == "POST" && unsized)
			SendError(res, 400, "a POST needs a Content-Length (send {} as the body)");
		else if (res.status == 413)
			SendError(res, 413, "the request body is too large (JSON of at most 1 MiB)");
		else if (res.status == 404)
			SendError(res, 404, "no such path");
		else
			SendError(res, res.status, "the request was refused");
	});
	s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
		SendError(res, 500, "the studio failed on this request");
	});

	using Call = std::function<json(const httplib::Request&)>;
	const auto api = [this](Call call) {
		return [this, call](const httplib::Request& req, httplib::Response& res) {
			res.set_header("Cache-Control", "no-store");
			try
			{
				std::lock_guard<std::mutex> lock(document_);
				try
				{
					res.set_content(Dump(call(req)), kJsonType);
				}
				catch (...)
				{
					Announce();
					throw;
				}
				Announce();
			}
			catch (const ApiError& e)
			{
				SendError(res, e.status, e.message, e.extra);
			}
		};
	};
	using Picture = std::function<std::string(const httplib::Request&)>;
	const auto png = [this](Picture call) {
		return [this, call](const httplib::Request& req, httplib::Response& res) {
			try
			{
				std::lock_guard<std::mutex> lock(document_);
				res.set_content(call(req), "image/png");
			}
			catch (const ApiError& e)
			{
				SendError(res, e.status, e.message, e.extra);
			}
		};
	};
	// Ids of at most 15 digits fit any element count and never overflow.
	const std::string element = R"(/api/elements/(\d{1,15}))";

	s.Get("/api/state", api([this](const httplib::Request&) { return studio_.State(); }));
	s.Get(element + "/page", api([this](const httplib::Request& req) { return studio_.Page(PathId(req)); }));
	s.Get(element + "/icon", png([this](const httplib::Request& req) { return studio_.Icon(PathId(req)); }));
	s.Get(element + "/bitmap", png([this](const httplib::Request& req) {
		if (!req.has_param("id"))
			throw ApiError{ 400, "the request needs the parameter id (?id=2100)" };
		return studio_.Bitmap(PathId(req), req.get_param_value("id"));
	}));
	s.Post(element + "/set", api([this](const httplib::Request& req) { return studio_.Set(PathId(req), Body(req)); }));
	s.Post(element + "/command", api([this](const httplib::Request& req) { return studio_.Command(PathId(req), Body(req)); }));
	s.Post(element + "/name", api([this](const httplib::Request& req) { return studio_.Rename(PathId(req), Body(req)); }));
	s.Delete(element, api([this](const httplib::Request& req) { return studio_.Delete(PathId(req)); }));
	s.Post(R"(/api/objects/(\d{1,15})/tags)",
		api([this](const httplib::Request& req) { return studio_.AddTag(PathId(req), Body(req)); }));
	s.Post("/api/link", api([this](const httplib::Request& req) { return studio_.Link(Body(req)); }));
	s.Post("/api/undo", api([this](const httplib::Request&) { return studio_.Undo(); }));
	s.Post("/api/redo", api([this](const httplib::Request&) { return studio_.Redo(); }));
	s.Post("/api/frame", api([this](const httplib::Request& req) { return studio_.Frame(Body(req)); }));
	s.Get("/api/graph", api([this](const httplib::Request& req) {
		return studio_.Graph(req.get_param_value("from"), req.get_param_value("to"));
	}));
	s.Post("/api/save", api([this](const httplib::Request& req) { return studio_.Save(Body(req)); }));
	s.Post("/api/open", api([this](const httplib::Request& req) { return studio_.Open(Body(req)); }));
	s.Get("/api/keys", api([this](const httplib::Request&) { return studio_.Keys(); }));
	s.Get(element + "/presets", api([this](const httplib::Request& req) { return studio_.Presets(PathId(req)); }));
	s.Post(element + "/presets/([a-z]{1,16})", api([this](const httplib::Request& req) {
		return studio_.Preset(PathId(req), req.matches[2].str(), Body(req));
	}));
	s.Get("/api/folders", api([](const httplib::Request& req) { return Studio::Folders(req.get_param_value("path")); }));
	s.Get("/api/events", [this](const httplib::Request&, httplib::Response& res) {
		{
			std::lock_guard<std::mutex> lock(events_);
			if (stopping_ || eventStreams_ >= kMaxEventStreams)
			{
				SendError(res, 503, "too many event streams are open");
				return;
			}
			++eventStreams_;
		}
		res.set_header("Cache-Control", "no-store");
		// The first event tells the revision at once.
		auto sent = std::make_shared<long long>(-1);
		res.set_chunked_content_provider("text/event-stream",
			[this, sent](size_t, httplib::DataSink& sink) { return NextEvent(sent.get(), sink); },
			[this](bool) {
				std::lock_guard<std::mutex> lock(events_);
				--eventStreams_;
			});
	});

	// The front end and the help pages.
	const auto serve = [](const std::string& root, const std::string& relative, httplib::Response& res) {
		const fs::path file = StaticFile(root, relative);
		std::string bytes, problem;
		if (file.empty() || !platform::ReadFileBounded(file.u8string(), kMaxStaticFile, &bytes, &problem))
		{
			SendError(res, 404, "no such file");
			return;
		}
		res.set_content(bytes, ContentType(file).c_str());
	};
	s.Get("/", [this, serve](const httplib::Request&, httplib::Response& res) { serve(options_.webFolder, "index.html", res); });
	s.Get(R"(/training/(.+))", [this, serve](const httplib::Request& req, httplib::Response& res) {
		serve(options_.helpFolder, req.matches[1].str(), res);
	});
	// Whatever else the front end's build holds (assets/, an icon), last:
	// routes match in order.
	s.Get(R"(/((?!api/).+))", [this, serve](const httplib::Request& req, httplib::Response& res) {
		serve(options_.webFolder, req.matches[1].str(), res);
	});
}
