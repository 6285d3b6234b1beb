#pragma once

#include <QString>

// The main window is designed for a 640x480 screen and stretched once at load.
namespace ScreenScaling {

inline constexpr int designWidth = 640;
inline constexpr int designHeight = 480;
inline constexpr int referenceWidthTwips = 9600;  // 640 pixels at 15 twips a pixel

struct Factors {
    float fx = 1.0f;
    float fy = 1.0f;
};

// Screen size in pixels -> the horizontal and vertical factors.
Factors factors(int screenWidthPx, int screenHeightPx);

enum class Decision { ScaleSilently, Ask, Leave };
// setRisoluzione: the setting's text (its numeric value counts; empty is 0).
Decision decide(const QString& setRisoluzione, int screenWidthTwips);

QString question();  // the text of the resolution question

}  // namespace ScreenScaling
