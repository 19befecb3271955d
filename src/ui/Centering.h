#pragma once
// Where the main window goes so that it sits in the middle of the screen.

namespace yb {

struct WindowPlacement {
    float top;   // twips
    float left;  // twips
};

// Sizes in twips, the window's including its frame and caption bar. Single-precision arithmetic,
// half twips kept, nothing clamped: a window larger than the screen gets a negative position.
WindowPlacement CenteredPlacement(float screenWidth, float screenHeight, float windowWidth,
                                  float windowHeight);

}  // namespace yb
