// Inverse of the regularised incomplete beta integral (Cephes incbi.c algorithm): a
// normal-based first guess, interval halving until the guess is close, then Newton
// steps; halving again, to a tighter tolerance, when Newton does not settle.
#include <cmath>

#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

class BetaInversion {
 public:
  BetaInversion(double a, double b, double y) : aOriginal_(a), bOriginal_(b), yOriginal_(y) {}

  double solve();

 private:
  enum class Outcome { kClose, kDone, kNotConverged };

  // Works on I_x(b, a) = 1 - y instead (or back), which keeps x below 0.75.
  void setReflected(bool reflected) {
    reflected_ = reflected;
    a_ = reflected ? bOriginal_ : aOriginal_;
    b_ = reflected ? aOriginal_ : bOriginal_;
    target_ = reflected ? 1.0 - yOriginal_ : yOriginal_;
  }
  Outcome halve();
  Outcome newton();
  double finish() const {
    if (!reflected_) return x_;
    return x_ <= MACHEP ? 1.0 - MACHEP : 1.0 - x_;
  }

  const double aOriginal_, bOriginal_, yOriginal_;
  bool reflected_ = false;
  double a_ = 0.0, b_ = 0.0, target_ = 0.0;
  // Current point and the bracket [low_, high_] with values yLow_ <= target_ <= yHigh_.
  double x_ = 0.0, y_ = 0.0;
  double low_ = 0.0, yLow_ = 0.0, high_ = 1.0, yHigh_ = 1.0;
  double tolerance_ = 0.0;
};

BetaInversion::Outcome BetaInversion::halve() {
  bool restart = true;
  while (restart) {
    restart = false;
    int direction = 0;  // run length of steps to the same side, signed
    double fraction = 0.5;
    for (int i = 0; i < 100 && !restart; ++i) {
      if (i != 0) {
        x_ = low_ + fraction * (high_ - low_);
        if (x_ == 1.0) x_ = 1.0 - MACHEP;
        if (x_ == 0.0) {
          fraction = 0.5;
          x_ = low_ + fraction * (high_ - low_);
          if (x_ == 0.0) mtherr("incbi", kMathUnderflow);
        }
        y_ = incbet(a_, b_, x_);
        if (std::fabs((high_ - low_) / (high_ + low_)) < tolerance_) return Outcome::kClose;
        if (std::fabs((y_ - target_) / target_) < tolerance_) return Outcome::kClose;
      }
      if (y_ < target_) {
        low_ = x_;
        yLow_ = y_;
        if (direction < 0) {
          direction = 0;
          fraction = 0.5;
        } else if (direction > 3) {
          fraction = 1.0 - (1.0 - fraction) * (1.0 - fraction);
        } else if (direction > 1) {
          fraction = 0.5 * fraction + 0.5;
        } else {
          fraction = (target_ - y_) / (yHigh_ - yLow_);
        }
        direction += 1;
        if (low_ > 0.75) {
          setReflected(!reflected_);
          x_ = 1.0 - x_;
          y_ = incbet(a_, b_, x_);
          low_ = 0.0;
          yLow_ = 0.0;
          high_ = 1.0;
          yHigh_ = 1.0;
          restart = true;
        }
      } else {
        high_ = x_;
        if (reflected_ && high_ < MACHEP) {
          x_ = 0.0;
          return Outcome::kDone;
        }
        yHigh_ = y_;
        if (direction > 0) {
          direction = 0;
          fraction = 0.5;
        } else if (direction < -3) {
          fraction = fraction * fraction;
        } else if (direction < -1) {
          fraction = 0.5 * fraction;
        } else {
          fraction = (y_ - target_) / (yHigh_ - yLow_);
        }
        direction -= 1;
      }
    }
  }
  mtherr("incbi", kMathPartialLoss);
}

BetaInversion::Outcome BetaInversion::newton() {
  const double logBetaInverse = lgam(a_ + b_) - lgam(a_) - lgam(b_);
  for (int i = 0; i < 8; ++i) {
    if (i != 0) y_ = incbet(a_, b_, x_);
    // Keep the bracket; fall back to its ends when the step left it.
    if (y_ < yLow_) {
      x_ = low_;
      y_ = yLow_;
    } else if (y_ > yHigh_) {
      x_ = high_;
      y_ = yHigh_;
    } else if (y_ < target_) {
      low_ = x_;
      yLow_ = y_;
    } else {
      high_ = x_;
      yHigh_ = y_;
    }
    if (x_ == 1.0 || x_ == 0.0) break;
    // Derivative of I_x(a, b): x^(a-1) (1-x)^(b-1) / B(a, b).
    double d = (a_ - 1.0) * std::log(x_) + (b_ - 1.0) * std::log(1.0 - x_) + logBetaInverse;
    if (d < MINLOG) return Outcome::kDone;
    if (d > MAXLOG) break;
    d = (y_ - target_) / std::exp(d);
    double next = x_ - d;
    if (next <= low_) {
      y_ = (x_ - low_) / (high_ - low_);
      next = low_ + 0.5 * y_ * (x_ - low_);
      if (next <= 0.0) break;
    }
    if (next >= high_) {
      y_ = (high_ - x_) / (high_ - low_);
      next = high_ - 0.5 * y_ * (high_ - x_);
      if (next >= 1.0) break;
    }
    x_ = next;
    if (std::fabs(d / x_) < 128.0 * MACHEP) return Outcome::kDone;
  }
  return Outcome::kNotConverged;
}

double BetaInversion::solve() {
  bool startWithHalving;
  if (aOriginal_ <= 1.0 || bOriginal_ <= 1.0) {
    tolerance_ = 1.0e-6;
    setReflected(false);
    x_ = a_ / (a_ + b_);
    y_ = incbet(a_, b_, x_);
    startWithHalving = true;
  } else {
    tolerance_ = 1.0e-4;
    // Normal approximation to the inverse.
    double yp = -ndtri(yOriginal_);
    setReflected(yOriginal_ > 0.5);
    if (reflected_) yp = -yp;
    const double lambda = (yp * yp - 3.0) / 6.0;
    const double h = 2.0 / (1.0 / (2.0 * a_ - 1.0) + 1.0 / (2.0 * b_ - 1.0));
    double w = yp * std::sqrt(h + lambda) / h - (1.0 / (2.0 * b_ - 1.0) - 1.0 / (2.0 * a_ - 1.0)) *
                                                    (lambda + 5.0 / 6.0 - 2.0 / (3.0 * h));
    w = 2.0 * w;
    if (w < MINLOG) mtherr("incbi", kMathUnderflow);
    x_ = a_ / (a_ + b_ * std::exp(w));
    y_ = incbet(a_, b_, x_);
    startWithHalving = std::fabs((y_ - target_) / target_) >= 0.2;
  }

  if (startWithHalving && halve() == Outcome::kDone) return finish();
  if (newton() == Outcome::kNotConverged) {
    tolerance_ = 256.0 * MACHEP;
    halve();  // ends in kDone or kClose; after one Newton pass both mean done
  }
  return finish();
}

}  // namespace

double incbi(double a, double b, double y) {
  if (y <= 0.0) return 0.0;
  if (y >= 1.0) return 1.0;
  return BetaInversion(a, b, y).solve();
}

}  // namespace tessary
