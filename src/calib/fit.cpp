#include "calib/fit.h"

namespace bx {

bool FitLine(const double* x, const double* y, int n, LineFit& fit) {
  if (n < 2) return false;
  double mx = 0, my = 0;
  for (int i = 0; i < n; ++i) {
    mx += x[i];
    my += y[i];
  }
  mx /= n;
  my /= n;
  double sxx = 0, sxy = 0;
  for (int i = 0; i < n; ++i) {
    sxx += (x[i] - mx) * (x[i] - mx);
    sxy += (x[i] - mx) * (y[i] - my);
  }
  if (sxx == 0) return false;
  const double a = sxy / sxx;
  const double b = my - a * mx;
  double se = 0;
  for (int i = 0; i < n; ++i) {
    const double d = y[i] - (a * x[i] + b);
    se += d * d;
  }
  fit.slope = a;
  fit.offset = b;
  fit.mse = se / n;
  return true;
}

}  // namespace bx
