#pragma once

// OSC as a show controller sends it, for the remote-control tests: messages built by liblo and a
// client on this machine that sends them and collects what comes back.

#include <arpa/inet.h>
#include <lo/lo.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// An OSC message built by liblo; types 'i' and 'f' take the numbers, 's' a string, 'd' a double.
inline std::vector<std::uint8_t> osc(const char* address, const char* types = "",
                                     std::vector<double> args = {}) {
    lo_message m = lo_message_new();
    for (std::size_t i = 0; types[i]; ++i) {
        const double v = i < args.size() ? args[i] : 0;
        if (types[i] == 'i') lo_message_add_int32(m, static_cast<int>(v));
        if (types[i] == 'f') lo_message_add_float(m, static_cast<float>(v));
        if (types[i] == 'd') lo_message_add_double(m, v);
        if (types[i] == 's') lo_message_add_string(m, "1");
        if (types[i] == 'T') lo_message_add_true(m);
    }
    std::size_t size = 0;
    void* bytes = lo_message_serialise(m, address, nullptr, &size);
    std::vector<std::uint8_t> packet(static_cast<std::uint8_t*>(bytes),
                                     static_cast<std::uint8_t*>(bytes) + size);
    free(bytes);
    lo_message_free(m);
    return packet;
}

// An OSC bundle of the elements, time tag "now".
inline std::vector<std::uint8_t> bundle(const std::vector<std::vector<std::uint8_t>>& elements) {
    std::vector<std::uint8_t> b{'#', 'b', 'u', 'n', 'd', 'l', 'e', 0, 0, 0, 0, 0, 0, 0, 0, 1};
    for (const auto& e : elements) {
        const auto n = static_cast<std::uint32_t>(e.size());
        b.insert(b.end(),
                 {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
        b.insert(b.end(), e.begin(), e.end());
    }
    return b;
}

// A show controller on this machine: a liblo server on its own port that sends to ours and
// collects what comes back as "address arg arg".
class Client {
  public:
    explicit Client(std::uint16_t serverPort)
        : m_server(lo_server_new_with_proto(nullptr, LO_UDP, nullptr)),
          m_target(lo_address_new("127.0.0.1", std::to_string(serverPort).c_str())) {
        lo_server_add_method(m_server, nullptr, nullptr, &Client::collect, this);
    }
    ~Client() {
        lo_address_free(m_target);
        lo_server_free(m_server);
    }
    void send(const std::vector<std::uint8_t>& packet) {
        ::send(lo_server_get_socket_fd(m_server), packet.data(), packet.size(), 0);
    }
    void send(const char* address, const char* types = "", std::vector<double> args = {}) {
        lo_message m = lo_message_new();
        for (std::size_t i = 0; types[i]; ++i) {
            if (types[i] == 'i') lo_message_add_int32(m, static_cast<int>(args[i]));
            if (types[i] == 'f') lo_message_add_float(m, static_cast<float>(args[i]));
        }
        lo_send_message_from(m_target, m_server, address, m);
        lo_message_free(m);
    }
    void receive() {
        while (lo_server_recv_noblock(m_server, 0) > 0) {
        }
    }
    std::vector<std::string> received;

  private:
    static int collect(const char* path, const char* types, lo_arg** argv, int argc, lo_message, void* self) {
        std::string text = path;
        for (int i = 0; i < argc; ++i) {
            std::int32_t value = -999;  // arguments are only 4-byte aligned: copy, don't read in place
            if (types[i] == 'i') std::memcpy(&value, argv[i], sizeof value);
            text += " " + std::to_string(value);
        }
        static_cast<Client*>(self)->received.push_back(text);
        return 0;
    }
    lo_server m_server;
    lo_address m_target;
};

// A plain UDP socket on a chosen loopback address, for packets liblo would not send.
class RawSocket {
  public:
    explicit RawSocket(const char* address = "127.0.0.1") : m_fd(::socket(AF_INET, SOCK_DGRAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        inet_pton(AF_INET, address, &a.sin_addr);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t n = sizeof a;
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &n);
        m_port = ntohs(a.sin_port);
    }
    ~RawSocket() { ::close(m_fd); }
    void sendTo(std::uint16_t port, const std::vector<std::uint8_t>& packet) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(port);
        ::sendto(m_fd, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    int pending() {
        int count = 0;
        char buffer[2048];
        while (::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT) >= 0) ++count;
        return count;
    }
    std::uint16_t port() const { return m_port; }

  private:
    int m_fd;
    std::uint16_t m_port = 0;
};
