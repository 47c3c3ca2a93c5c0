#pragma once
// The simulated sensor's model: identity, geometry and calibration, plus the
// knobs of the synthetic line. Everything the simulator says about itself
// comes from here, so one Config describes one plausible sensor.
#include <climits>
#include <cstdint>
#include <string>

namespace bx::sim {

// The 32-byte calibration record kept in external-flash page 1.
struct CalibRecord {
  uint32_t hardwareType = 802776;
  uint16_t serial = 1234;
  uint16_t xfDivisor = 1;
  uint16_t xfSize = 8192;
  uint16_t interfaceType = 0;
  int32_t slopeX16384 = 28672;  // 1.75 µm per pixel
  int32_t offsetUm = 0;
  int32_t rangeUm = 28672;
  uint16_t lookupFlag = 0;
  uint16_t firstPixel = 1;
  uint16_t lastPixel = 16384;
};

struct Config {
  // Identity, as the hardware record and firmware text report it.
  uint32_t boardCode = 402111;
  uint32_t hardwareType = 802776;
  int16_t serial = 1234;
  int16_t firmwareVersion = 545;
  std::string firmwareText = "Quellan-BX-28-K V5.45";
  int16_t subPixelCount = 16384;
  int16_t lowestPixel = 1;
  int16_t highestPixel = 16384;
  int16_t videoRange = 1024;  // video full scale
  int16_t pixelCount = 16384;
  CalibRecord calib;

  // Start the parameter set with an evaluation range and set-point that fit
  // the model (full line, set-point mid-line) instead of the generic
  // 2048-pixel values, so a fresh simulator sees its own shadow.
  bool modelDefaults = true;

  // Synthetic line. Fractions are of the pixel count.
  double shadowCenter = 0.5;
  double shadowWidth = 0.16;
  double shadowTravel = 0.2;  // amplitude of the slow back-and-forth motion
  double shadowPeriodS = 20.0;
  double shadowBreath = 0.02;  // the object is not perfectly round: width wobble
  double videoNoise = 0.01;   // fraction of full scale, before averaging
  double edgeJitterPx = 2.0;  // peak jitter of the reported edges
  int cycleUs = 500;          // measuring cycle at NORMAL read-out speed

  int scopeDelayMs = 200;     // arm-to-record time of the scope
  int triggerPeriodMs = 0;    // automatic IN0 pulses; 0 = none
  uint32_t seed = 1;          // noise generator seed

  // Live-mode knobs of the bx-sim program and the tests.
  int forcedState = INT32_MIN;  // state code to report; INT32_MIN = none
  int forcedProgram = -1;       // program number to report; -1 = the real one
  int paceBaud = 0;             // reply bytes at a serial line's rate; 0 = off
  // How far the regulated laser power (Power-Mode 1) or exposure time
  // (Power-Mode 2) wanders, as a fraction, while the sensor holds the
  // line's brightness.
  double regulationSwing = 0.05;
  double regulationPeriodS = 7.0;
};

}  // namespace bx::sim
