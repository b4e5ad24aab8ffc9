// The page, load, plane and line buffers. Static for the whole process and
// zero at start; the loader and the passes overwrite their used parts per job.
#include "imaging/page_buffers.h"

uint8_t g_pageImage[kPageImageRows * kPageStride];
uint8_t g_loadBuffer[kLoadBufferRows * kPageStride];
int16_t g_headPlanes[kPlaneRows * kPlaneStride];
uint8_t g_lineBuffer[2 * kLineSlotBytes];

int32_t g_bTestPrint = 0;
