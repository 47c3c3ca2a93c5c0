#include <winsock2.h>
#include <ws2tcpip.h>

#include "sim/sys.h"
#include "sim/tcp_listener.h"

namespace bx::sim {
namespace {

int F(SOCKET s) { return static_cast<int>(static_cast<unsigned>(s)); }
SOCKET S(int fd) { return static_cast<SOCKET>(static_cast<unsigned>(fd)); }

}  // namespace

int openTcpListener(int port, int& boundPort) {
  boundPort = 0;
  if (port < 0 || port > 65535 || !sys::start()) return -1;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  // Not SO_REUSEADDR: on Windows it would let a second listener take the port.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<u_short>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 4) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    closesocket(s);
    return -1;
  }
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
  boundPort = ntohs(addr.sin_port);
  return F(s);
}

int acceptTcpClient(int listenFd) {
  SOCKET s = accept(S(listenFd), nullptr, nullptr);
  if (s == INVALID_SOCKET) return -1;
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  return F(s);
}

}  // namespace bx::sim
