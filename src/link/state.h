#pragma once
// State of the sensor link: buffers, exchange header, connection.
#include <array>
#include <cstdint>
#include <string>

#include "link/frame_format.h"

namespace bx {

enum Transport : uint16_t { TRANSPORT_RS232 = 0, TRANSPORT_TCP = 1 };

struct ExchangeHeader {
  uint8_t sync = frame::kSync;
  uint8_t order = 1;
  uint16_t param = 0;
  uint16_t length = 0;
  uint8_t dataCrc = 0;
  uint8_t headerCrc = 0;
};

struct LinkState {
  static constexpr int kTxPayloadMax = 1024;  // largest request: 512-byte flash blocks
  std::array<uint8_t, frame::kHeaderSize + kTxPayloadMax> tx{};
  std::array<uint8_t, frame::kRxBufferSize> rx{};
  int32_t rxCount = 0;
  ExchangeHeader hdr;
  int32_t abort = 0;
  double replyTimeout = 1.5;      // seconds
  unsigned tcpTimeoutMs = 2000;

  // Connection.
  uint16_t transport = TRANSPORT_RS232;
  uint16_t comPort = 1;
  uint16_t baudIndex = 4;
  int32_t portOpen = 0;           // 1 open; after a failed open the negative code
  std::string ipAddress;
  int32_t tcpPort = 5000;
  uint32_t tcpHandle = 0;
  int32_t tcpConnected = 0;
  int32_t identFailed = 0;

  // Firmware-information text: received copy and working copy, each with
  // room for the terminating zero.
  static constexpr int kFwInfoMax = 72;
  char fwInfo[kFwInfoMax + 1] = {};
  char fwInfoWork[kFwInfoMax + 1] = {};
  uint16_t fwInfoParam = 0;
  int16_t echoSerial = 0;
};

}  // namespace bx
