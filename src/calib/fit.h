#pragma once
// The straight line Y = A*X + B through the calibration points (pixel
// coverage X, diameter Y in micrometres).
namespace bx {

struct LineFit {
  double slope = 0;   // A, um per pixel
  double offset = 0;  // B, um
  double mse = 0;     // mean squared error of the fitted values
};

// Least-squares line over n points (n >= 2). False, and fit untouched, when
// all X are equal: there is no line to fit.
bool FitLine(const double* x, const double* y, int n, LineFit& fit);

}  // namespace bx
