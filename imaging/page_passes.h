// The six page passes, run once per job in this order.
#pragma once

#include <cstdint>

#include "imaging/page_buffers.h"

extern uint8_t g_contrastTable[256];
extern int16_t g_lumaPlane[kPageRows * kPageColumns];

void ApplyContrastCurve();
void BuildStretchCurve();
void BuildCustomCurve();
void ApplySaturation();
void ApplyHueCorrection();
void ConvertToHeadLevels();
void EnhanceEdges();
void LimitHeadPlanes();

