#pragma once

// One second-order IIR section in direct form I: y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2,
// with a0 normalised to 1.
class Biquad {
public:
    struct Coefficients {
        double b0, b1, b2, a1, a2;
    };

    explicit Biquad(const Coefficients& c) : c_(c) { }

    double step(double x)
    {
        const double y = c_.b0 * x + c_.b1 * x1_ + c_.b2 * x2_ - c_.a1 * y1_ - c_.a2 * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    Coefficients c_;
    double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};
