// The speckle filter on the page's blue channel.
#pragma once

#include <cstdint>

void RemoveSpeckle(int width, int height, uint8_t* page);
// One step of a run over the two (width + 2) x (height + 2) grids.
void SpeckleStep(int rowStep, int colStep, int sign, int width, int height, uint8_t* img,
                 uint8_t* tmp);
