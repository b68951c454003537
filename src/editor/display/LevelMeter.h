// What one channel of a level meter shows: a follower that jumps up and falls by 1 % of the distance
// per update, and a peak that holds for a second and then falls by 2 dB per 60 ms of elapsed time.
#pragma once

namespace Mirda {

class CLevelMeterChannel {
public:
    static constexpr double kBottomDb = -48.0;
    static constexpr double kTopDb = 7.0;

    // One idle pass: the channel's linear peak since the last pass, at nowMs.
    void update(double level, double nowMs);

    double levelDb() const { return levelDb_; }
    double peakDb() const { return peakDb_; }
    // Height of the lit part of the bar, 0 (−48 dB and below) … 1 (+7 dB).
    static double litFraction(double dB);

private:
    double value_ = 0.0;
    double levelDb_ = -1111.0;
    double peakDb_ = -11111.0;
    double peakTimeMs_ = 0.0;
    bool falling_ = false;
};

} // namespace Mirda
