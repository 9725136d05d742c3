#pragma once
// Sizes and positions are kept in twips (1/1440 inch), as the settings file
// stores them; widgets need pixels at the screen's logical DPI.
#include <cstdint>

namespace dr::ui {

// Twips per pixel of the primary screen: 15 at 96 DPI. A value set by
// setTwipsPerPixel (tests, benchmarks) wins over the screen's.
double twipsPerPixel();
void setTwipsPerPixel(double tpp); // 0 goes back to the screen's value

int toPx(int64_t twips);     // rounded to the nearest pixel
int64_t toTwips(int px);

// The primary screen's size in twips (for the placement rules).
int64_t screenWidthTwips();
int64_t screenHeightTwips();

} // namespace dr::ui
