// The driver `vyr`: 24-bit sRGB raster, one resolution and one borderless
// media size whose raster is exactly the engine's frame as it prints, 640 x
// 480 dots: the long side across, as the engine lays its page out. Spoolers
// turn a portrait page onto such media a quarter clockwise, the turn the
// engine gives a portrait page itself, so a page comes out the same way up
// whether a spooler laid it out or the application did.
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

#include "base/frame.h"

inline constexpr char kDriverName[] = "vyr";
// The driver's native format: nothing sends it; the document filters are
// registered to it so PAPPL picks them before its own picture filters.
inline constexpr char kDriverFormat[] = "application/vnd.vyr-page";

// The application's one driver, for papplMainloop and the system.
inline pappl_pr_driver_t g_drivers[] = {
    {kDriverName, "vyr dye-sublimation photo printer", "MFG:vyr;CMD:vyr;", nullptr},
};
inline constexpr int kDriverCount = 1;

// Fills the driver data for a printer printing the frame at `dpi`.
void FillDriverData(pappl_pr_driver_data_t* data, int dpi);

// The name of the media size of the frame printed at `dpi`.
const char* MediaName(int dpi);

// The capability attributes beyond the driver data, with the
// print-rendering-intent values `intents` and default `intent`; the caller
// deletes them. The second form takes the printer's offered intents and keeps
// its current default where it is still offered.
ipp_t* DriverAttributes(const std::vector<std::string>& intents, const std::string& intent);
ipp_t* DriverAttributes(pappl_printer_t* printer);

bool DriverCallback(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* driver_data,
                    ipp_t** driver_attrs, void* data);

const char* AutoAddCallback(const char* device_info, const char* device_uri,
                            const char* device_id, void* data);
