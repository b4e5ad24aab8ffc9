// The driver `vyr`: 24-bit sRGB raster, one resolution and one borderless
// media size whose raster is exactly the engine's frame, 480 x 640 pixels
// (the frame on its side, as media sizes stand upright; the engine turns it).
#pragma once

#include <pappl/pappl.h>

#include "base/frame.h"

inline constexpr char kDriverName[] = "vyr";

// The application's one driver, for papplMainloop and the system.
inline pappl_pr_driver_t g_drivers[] = {
    {kDriverName, "vyr dye-sublimation photo printer", "MFG:vyr;CMD:vyr;", nullptr},
};
inline constexpr int kDriverCount = 1;

// The engine's frame in pixels, upright: on its side.
inline constexpr int kFrameWidth = kFrameRows;
inline constexpr int kFrameHeight = kFrameColumns;

// Fills the driver data for a printer printing the frame at `dpi`.
void FillDriverData(pappl_pr_driver_data_t* data, int dpi);

bool DriverCallback(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* driver_data,
                    ipp_t** driver_attrs, void* data);

const char* AutoAddCallback(const char* device_info, const char* device_uri,
                            const char* device_id, void* data);
