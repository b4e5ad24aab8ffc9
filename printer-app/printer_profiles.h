// Colour by the owner's ICC profile, per printer: the profile (measured for
// the printer's ribbon and paper) is turned into one colour-match table per
// rendering intent by `vyrtool cct from-icc` (sRGB pictures into
// the printer's RGB), and a job's print-rendering-intent picks the table its
// engine disk's MatchFile names. Without a profile the printer's own table
// is used and only "auto" is offered.
//
//   STATE/printers/ID/profile.icc                   the profile the tables come from
//   STATE/printers/ID/windows/system/icc-*.cct      its tables: perc, rel, sat, abs
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

// The IPP attribute a job names its intent in ("-default", "-supported").
inline constexpr char kIntentAttribute[] = "print-rendering-intent";

// The print-rendering-intent values the printer offers: "auto", and the
// four ICC intents when it has a profile.
std::vector<std::string> OfferedIntents(int printer_id);

// Checks the uploaded file at `path` and builds the printer's tables from
// it. A file LittleCMS cannot open, or that is not an RGB profile usable for
// output, is refused and the old tables and profile stay; `message` says
// what happened either way.
bool InstallProfile(int printer_id, const std::string& path, std::string* message);

// The profile's description for the web page; "" without a profile.
std::string ProfileDescription(int printer_id);

// Makes the engine disk in `job_folder` use the table of the job's intent
// (its own print-rendering-intent, else the printer's default): its
// settings file becomes a copy whose MatchFile names that table. Nothing
// changes without a profile. False (with the job's message set) when the
// disk cannot be written.
bool UseJobColourTable(pappl_job_t* job, const std::string& job_folder);
