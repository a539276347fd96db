#include "derived/Formulas.h"

#include <cmath>

namespace svu {

double ScaleValue(double x, float gain, float offset) {
    return x * gain + offset;
}

double WindToDirection(double direction) {
    double v = direction + 180.0;
    if (v >= 360.0) {
        v -= 360.0;
    }
    return v;
}

double VapourPressure(float temperature, double humidity) {
    const double t = temperature;
    return humidity * std::pow(10.0, 7.5 * t / (t + 237.3) + 0.78571) * 0.01;
}

std::optional<double> DewPoint(double vapour) {
    if (vapour <= 0.0) {
        return std::nullopt;
    }
    const double l = std::log10(vapour);
    if (l == 8.2857) {
        return std::nullopt;
    }
    return (l * 237.3 - 186.44898) / (8.2857 - l);
}

std::optional<double> WetBulbTemperature(float temperature, double humidity, double pressure) {
    const double t = temperature;
    const float h = static_cast<float>(humidity * 0.01f);
    const float e = static_cast<float>(std::pow(10.0, 7.5 * t / (t + 237.7)) * 6.112 * h);
    const double l = std::log10(e * 0.16361256544502617);
    const float td = static_cast<float>(l * 237.7 / (7.5 - l));
    const double gamma = pressure * 0.00066;
    const double tdShift = td + 237.7;
    const double delta = e * 4098.0 / (tdShift * tdShift);
    const double tw = (delta * td + gamma * t) / (delta + gamma);
    if (!std::isfinite(tw)) {
        return std::nullopt;
    }
    return tw;
}

double QfePressure(double pressure, double temperature, float sensorHeight) {
    return pressure * std::pow(10.0, sensorHeight / ((temperature + 288.15) * 67.397));
}

double QnhPressure(double qfe, float runwayHeight) {
    return qfe * std::pow(1.0 + 8.417e-05 * runwayHeight / std::pow(qfe, 0.190255), 5.25612);
}

namespace {
double WindAngle(float direction, float referenceAngle) {
    return (static_cast<double>(direction) - referenceAngle) * 0.01745329252;
}
}  // namespace

double CrossWindComponent(float direction, double speed, float referenceAngle) {
    return std::sin(WindAngle(direction, referenceAngle)) * speed;
}

double HeadWindComponent(float direction, double speed, float referenceAngle) {
    return std::cos(WindAngle(direction, referenceAngle)) * speed;
}

int BeaufortForce(double speed) {
    static constexpr float kUpperKnots[] = {1.0f,  3.5f,  6.5f,  10.5f, 16.5f, 21.5f,
                                            27.5f, 33.5f, 40.5f, 47.5f, 55.5f, 63.5f};
    const float knots = static_cast<float>(speed * 1.942603f);
    if (std::isnan(knots)) {
        return 0;
    }
    for (int force = 0; force < 12; ++force) {
        if (knots < kUpperKnots[force]) {
            return force;
        }
    }
    return 12;
}

const char* BeaufortText(int force) {
    static constexpr const char* kTexts[] = {
        "Calm",      "Light air", "Light breeze", "Gentle breeze", "Moderate breeze", "Fresh breeze", "Strong breeze",
        "Near gale", "Gale",      "Strong gale",  "Storm",         "Violent storm",   "Hurricane"};
    if (force < 0 || force > 12) {
        return "";
    }
    return kTexts[force];
}

bool CompareWithFixed(float value, uint32_t operatorIndex, float fixedValue) {
    switch (operatorIndex) {
        case 0:
            return value < fixedValue;
        case 1:
            return value <= fixedValue;
        case 2:
            return value == fixedValue;
        case 3:
            return value != fixedValue;
        case 4:
            return value >= fixedValue;
        case 5:
            return value > fixedValue;
        default:
            return false;
    }
}

bool InSector(double direction, float from, float to) {
    double s = from;
    const double e = to;
    double d = direction;
    if (s > e) {
        s -= 360.0;
        if (d > e) {
            d -= 360.0;
        }
    }
    return s <= d && d <= e;
}

double AngleOfSums(double sineSum, double cosineSum) {
    if (cosineSum == 0.0) {
        return sineSum < 0.0 ? 270.0 : 90.0;
    }
    double theta = std::atan2(sineSum, cosineSum) * 57.29577951;
    while (theta < 0.0) {
        theta += 360.0;
    }
    while (theta >= 360.0) {
        theta -= 360.0;
    }
    return theta;
}

}  // namespace svu
