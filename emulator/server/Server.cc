#include "emulator/server/Server.h"

#include <cerrno>
#include <exception>

#include "emulator/protocol/Protocol.h"

namespace emu {

using asio::ip::tcp;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

Outcome ServerError(const std::string& message) {
  Outcome o;
  o.code = tarvo_wire::kServerError;
  o.message = message;
  return o;
}

// The controller's answer to one request body. Whatever the body holds, the
// answer is a reply: a request the controller cannot read is a server error.
Outcome Answer(Controller& controller, const std::string& body) {
  if (!tarvo_wire::NestingWithin(body, tarvo_wire::kMaxNesting)) {
    return ServerError("request nested too deeply");
  }
  json request = json::parse(body, nullptr, false);
  if (!request.is_object() || !request.contains("call") || !request["call"].is_string()) {
    return ServerError("malformed request");
  }
  std::string call = request["call"].get<std::string>();
  json args = request.contains("args") ? request["args"] : json::array();
  try {
    return controller.Handle(call, args);
  } catch (const std::exception&) {
    // The controller checks what it reads; this is the last line, so that a
    // request it failed to check costs that request alone.
    return ServerError("malformed arguments of " + call);
  }
}

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(tcp::socket socket, Controller& controller, std::chrono::seconds idleTimeout,
          std::shared_ptr<bool> stopped)
      : socket_(std::move(socket)),
        timer_(socket_.get_executor()),
        deadline_(socket_.get_executor()),
        controller_(controller),
        idleTimeout_(idleTimeout),
        stopped_(std::move(stopped)) {}

  void Start() { ReadHead(); }

 private:
  // The peer has the idle timeout to send its next request, and again to take
  // the reply. The wait holds no reference to the session: a session that
  // ends on its own ends at once.
  void Await() {
    if (idleTimeout_.count() == 0) return;
    deadline_.expires_after(idleTimeout_);
    std::weak_ptr<Session> weak = shared_from_this();
    deadline_.async_wait([weak](std::error_code ec) {
      std::shared_ptr<Session> self = weak.lock();
      // A wait already due when the deadline moved still runs: the expiry
      // tells whether the deadline it waited for still holds.
      if (ec || !self || self->deadline_.expiry() > Clock::now()) return;
      self->Close();
    });
  }

  void StopAwaiting() { deadline_.expires_at(Clock::time_point::max()); }

  void Close() {
    std::error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

  void ReadHead() {
    Await();
    auto self = shared_from_this();
    asio::async_read(socket_, asio::buffer(head_), [self](std::error_code ec, size_t) {
      if (ec || *self->stopped_) return;
      self->size_ = tarvo_wire::GetLength(self->head_);
      if (self->size_ > tarvo_wire::kMaxFrame) return;  // closes: the peer is not speaking our protocol
      self->body_.clear();
      self->ReadBody();
    });
  }

  // The body grows with what arrives (a read asks for at most 64 KiB more):
  // a length announced is not memory spent.
  void ReadBody() {
    auto self = shared_from_this();
    asio::async_read(socket_, asio::dynamic_buffer(body_, size_), asio::transfer_exactly(size_),
                     [self](std::error_code ec, size_t) {
                       if (ec || *self->stopped_) return;
                       self->Process();
                     });
  }

  void Process() {
    StopAwaiting();
    Outcome outcome = Answer(controller_, body_);
    std::string().swap(body_);  // a large request's memory goes with it
    json reply = {{"code", outcome.code}, {"out", outcome.out}};
    if (!outcome.message.empty()) reply["message"] = outcome.message;
    reply_ = tarvo_wire::Frame(reply.dump(-1, ' ', false, json::error_handler_t::replace));
    bool drop = outcome.drop;
    if (outcome.delayMs <= 0) {
      Finish(drop);
      return;
    }
    auto self = shared_from_this();
    timer_.expires_after(std::chrono::milliseconds(outcome.delayMs));
    timer_.async_wait([self, drop](std::error_code ec) {
      if (ec || *self->stopped_) return;
      self->Finish(drop);
    });
  }

  void Finish(bool drop) {
    if (drop) {
      Close();
      return;
    }
    Await();
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(reply_), [self](std::error_code ec, size_t) {
      if (ec || *self->stopped_) return;
      self->ReadHead();
    });
  }

  tcp::socket socket_;
  asio::steady_timer timer_;     // an injected delay
  asio::steady_timer deadline_;  // the idle timeout
  Controller& controller_;
  std::chrono::seconds idleTimeout_;
  std::shared_ptr<bool> stopped_;
  unsigned char head_[4] = {};
  uint32_t size_ = 0;  // of the body being read
  std::string body_;
  std::string reply_;
};

// Errors after which accepting again at once fails again at once: the
// connection stays queued until descriptors or memory are free.
// (Asio's error codes do not compare equal to std::errc values.)
bool OutOfResources(const std::error_code& ec) {
  return ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
         ec == asio::error::no_memory ||
         ec == std::error_code(ENFILE, asio::error::get_system_category());
}

}  // namespace

Server::Server(asio::io_context& io, Controller& controller, std::chrono::seconds idleTimeout)
    : io_(io),
      controller_(controller),
      idleTimeout_(idleTimeout),
      acceptor_(io),
      retry_(io),
      stopped_(std::make_shared<bool>(false)) {}

bool Server::Listen(const std::string& address, int port, std::string& error) {
  std::error_code ec;
  asio::ip::address ip = asio::ip::make_address(address, ec);
  if (ec) {
    error = "not an IP address: " + address;
    return false;
  }
  tcp::endpoint endpoint(ip, static_cast<unsigned short>(port));
  acceptor_.open(endpoint.protocol(), ec);
  if (!ec) acceptor_.set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + ec.message();
    return false;
  }
  Accept();
  return true;
}

int Server::Port() const { return acceptor_.local_endpoint().port(); }

void Server::Stop() {
  *stopped_ = true;
  std::error_code ignored;
  acceptor_.close(ignored);
  retry_.cancel();
  io_.stop();
}

void Server::Accept() {
  acceptor_.async_accept([this](std::error_code ec, tcp::socket socket) {
    if (*stopped_) return;
    if (OutOfResources(ec)) {
      // Wait for connections to end (the idle timeout ends some) before
      // trying again, instead of spinning on the queued connection.
      retry_.expires_after(std::chrono::milliseconds(100));
      retry_.async_wait([this](std::error_code waited) {
        if (!waited && !*stopped_) Accept();
      });
      return;
    }
    if (!ec) {
      socket.set_option(tcp::no_delay(true), ec);
      std::make_shared<Session>(std::move(socket), controller_, idleTimeout_, stopped_)->Start();
    }
    Accept();
  });
}

}  // namespace emu
