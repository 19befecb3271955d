#include "ui/Centering.h"

namespace yb {

WindowPlacement CenteredPlacement(float screenWidth, float screenHeight, float windowWidth,
                                  float windowHeight) {
    WindowPlacement p{};
    p.top = (screenHeight - windowHeight) / 2.0f;  // the vertical position is set first
    p.left = (screenWidth - windowWidth) / 2.0f;
    return p;
}

}  // namespace yb
