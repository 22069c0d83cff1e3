// The studio's HTTP server: docs/studio-api.md over a Studio, on the
// loopback address only, behind a per-run token, refusing other hosts and
// origins; and the front end's files and the help pages.
#ifndef PULSORHOST_STUDIO_STUDIO_SERVER_H__
#define PULSORHOST_STUDIO_STUDIO_SERVER_H__

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "studio.h"

namespace httplib
{
class Server;
class DataSink;
}

struct StudioServerOptions
{
	std::string webFolder;     // the front end's built files (index.html, assets/)
	std::string helpFolder;    // holds pulsor/..., served at /training/
	std::string token;         // empty: a new random one
};

class StudioServer
{
public:
	// The largest request body taken.
	static constexpr size_t kMaxBody = size_t(1) << 20;
	// Event streams open at once; each holds one of the server's threads.
	static constexpr int kMaxEventStreams = 8;

	StudioServer(Studio& studio, StudioServerOptions options);
	~StudioServer();
	StudioServer(const StudioServer&) = delete;
	StudioServer& operator=(const StudioServer&) = delete;

	// Binds 127.0.0.1:port (0: a free port); false when it cannot.
	bool Bind(int port);
	int Port() const { return port_; }
	const std::string& Token() const { return options_.token; }
	// The address to open, token included.
	std::string Url() const;
	// Serves until Stop; false when it could not.
	bool Serve();
	// Whether Serve has started to take requests.
	bool Serving() const;
	// From any thread. A Stop before Serve has started is lost: stop a
	// server that is Serving, or call Stop until Serve has returned.
	void Stop();

private:
	void Routes();
	// Wakes the event streams when the studio's revision moved.
	void Announce();
	// One event stream's next piece: the revision when it moved, a
	// keep-alive comment after a quiet while (its write fails once the
	// window went away, which frees the stream); false once the server stops.
	bool NextEvent(long long* sent, httplib::DataSink& sink);

	Studio& studio_;
	StudioServerOptions options_;
	std::unique_ptr<httplib::Server> server_;
	std::mutex document_;    // one request at a time works on the document
	int port_ = 0;

	// The event streams' view of the studio, under events_.
	std::mutex events_;
	std::condition_variable announced_;
	long long announcedRevision_ = 0;
	int eventStreams_ = 0;
	bool stopping_ = false;
};

// 32 random hex characters from std::random_device.
std::string NewToken();

#endif
