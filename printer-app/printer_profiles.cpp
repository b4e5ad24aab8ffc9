#include "printer-app/printer_profiles.h"

#include <lcms2.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "printer-app/engine_programs.h"
#include "printer-app/printer_settings.h"
#include "settings/settings_table.h"

namespace {

namespace fs = std::filesystem;

constexpr char kProfileFile[] = "/profile.icc";
constexpr char kSystemFolder[] = "/windows/system/";
constexpr char kAuto[] = "auto";

// The ICC intents by their IPP names, with the table each builds (a name
// MatchFile can hold).
// The IPP names are `vyrtool cct from-icc --intent`'s.
struct Intent {
  const char* ipp;
  const char* table;
};
constexpr Intent kIntents[] = {
    {"perceptual", "icc-perc.cct"},
    {"relative", "icc-rel.cct"},
    {"saturation", "icc-sat.cct"},
    {"absolute", "icc-abs.cct"},
};
static_assert(sizeof "icc-perc.cct" < kSettingNameSize);

// Tables are replaced while jobs lay out their disks.
std::mutex g_lock;

std::string SystemFolder(int printer_id) { return PrinterFolder(printer_id) + kSystemFolder; }

bool HasProfile(int printer_id) {
  std::error_code ec;
  if (!fs::exists(PrinterFolder(printer_id) + kProfileFile, ec)) return false;
  for (const Intent& intent : kIntents)
    if (!fs::exists(SystemFolder(printer_id) + intent.table, ec)) return false;
  return true;
}

// What LittleCMS makes of the file; "" when it is an RGB profile pictures
// can be printed through (output, display or colour-space class: the ones
// ICC lets a transform end in), else why not.
std::string ProfileProblem(const std::string& path, std::string* description) {
  cmsHPROFILE profile = cmsOpenProfileFromFile(path.c_str(), "r");
  if (!profile) return "LittleCMS cannot open it: it is not an ICC profile, or it is damaged.";
  std::string problem;
  const cmsProfileClassSignature kind = cmsGetDeviceClass(profile);
  if (cmsGetColorSpace(profile) != cmsSigRgbData) {
    problem = "it is not an RGB profile (the printer prints RGB).";
  } else if (kind != cmsSigOutputClass && kind != cmsSigDisplayClass && kind != cmsSigColorSpaceClass) {
    problem = "it is not an output profile (it cannot take colours to the printer).";
  } else {
    // LittleCMS reads the tags only when it uses them: a profile cut short
    // or with broken tables shows here.
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform =
        cmsCreateTransform(srgb, TYPE_RGB_8, profile, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    if (!transform) problem = "LittleCMS cannot open it: its tables are damaged or cut short.";
    else cmsDeleteTransform(transform);
    cmsCloseProfile(srgb);
  }
  char text[256] = "";
  cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
  if (description) *description = text;
  cmsCloseProfile(profile);
  return problem;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  const size_t b = s.find_last_not_of(" \t\r");
  return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// The settings text with `MatchFile=table` as the first key of its first
// [Image] section (the reader takes the first section of a name and the
// first matching key), or a new section at the end.
std::string WithMatchFile(const std::string& text, const std::string& table) {
  std::istringstream in(text);
  std::string out, line;
  bool done = false;
  while (std::getline(in, line)) {
    out += line + "\n";
    const std::string t = Trim(line);
    if (!done && t.size() >= 2 && t.front() == '[' && t.back() == ']' &&
        Lower(Trim(t.substr(1, t.size() - 2))) == "image") {
      out += "MatchFile=" + table + "\n";
      done = true;
    }
  }
  if (!done) out += "[Image]\nMatchFile=" + table + "\n";
  return out;
}

std::string PrinterDefaultIntent(pappl_printer_t* printer) {
  ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
  const std::string name = std::string(kIntentAttribute) + "-default";
  const char* value = ippGetString(ippFindAttribute(attrs, name.c_str(), IPP_TAG_KEYWORD), 0, nullptr);
  std::string intent = value ? value : kAuto;
  ippDelete(attrs);
  return intent;
}

}  // namespace

std::vector<std::string> OfferedIntents(int printer_id) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::vector<std::string> intents = {kAuto};
  if (HasProfile(printer_id))
    for (const Intent& intent : kIntents) intents.emplace_back(intent.ipp);
  return intents;
}

std::string ProfileDescription(int printer_id) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!HasProfile(printer_id)) return "";
  std::string description;
  ProfileProblem(PrinterFolder(printer_id) + kProfileFile, &description);
  return description.empty() ? "(no description)" : description;
}

bool InstallProfile(int printer_id, const std::string& path, std::string* message) {
  std::string description;
  if (std::string problem = ProfileProblem(path, &description); !problem.empty()) {
    *message = "The profile was refused: " + problem + " The colour tables are unchanged.";
    return false;
  }
  std::lock_guard<std::mutex> hold(g_lock);
  // Every table is made under a temporary name first; only when all four
  // and the profile's copy are there do they replace the old ones.
  const std::string system = SystemFolder(printer_id);
  const std::string kept = PrinterFolder(printer_id) + kProfileFile;
  std::error_code ec;
  fs::copy_file(path, kept + ".new", fs::copy_options::overwrite_existing, ec);
  bool ok = !ec;
  std::string error = ec ? "cannot copy the profile: " + ec.message() : "";
  for (const Intent& intent : kIntents) {
    if (!ok) break;
    const int status = RunTool({"cct", "from-icc", "--output", kept + ".new", "--intent", intent.ipp,
                                system + intent.table + ".new"},
                               nullptr);
    ok = status == 0;
    if (!ok) error = "vyrtool cct from-icc failed (status " + std::to_string(status) + ")";
  }
  for (const Intent& intent : kIntents) {
    const std::string table = system + intent.table;
    if (ok) fs::rename(table + ".new", table, ec);
    else fs::remove(table + ".new", ec);
  }
  if (ok) fs::rename(kept + ".new", kept, ec);
  else fs::remove(kept + ".new", ec);
  if (!ok) {
    *message = "The profile could not be turned into colour tables: " + error +
               ". The colour tables are unchanged.";
    return false;
  }
  *message = "Profile \"" + description + "\" installed: colour tables for the perceptual, "
             "relative, saturation and absolute intents.";
  return true;
}

bool UseJobColourTable(pappl_job_t* job, const std::string& job_folder) {
  pappl_printer_t* printer = papplJobGetPrinter(job);
  const int printer_id = papplPrinterGetID(printer);
  std::string intent = PrinterDefaultIntent(printer);
  if (const char* asked = ippGetString(papplJobGetAttribute(job, kIntentAttribute), 0, nullptr)) intent = asked;
  // "auto" is the printer's choice: perceptual, the intent made for photos.
  if (intent == kAuto) intent = kIntents[0].ipp;
  std::lock_guard<std::mutex> hold(g_lock);
  if (!HasProfile(printer_id)) return true;
  const Intent* chosen = nullptr;
  for (const Intent& i : kIntents)
    if (intent == i.ipp) chosen = &i;
  if (!chosen) {
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s=%s is not offered; perceptual is used",
                kIntentAttribute, intent.c_str());
    chosen = &kIntents[0];
  }
  // The job's settings file is a hard link to the printer's: it is replaced
  // by a copy, never written through.
  const std::string settings = job_folder + kSystemFolder + kMainSettingsFile;
  std::ifstream in(settings, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  in.close();
  const std::string temp = settings + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << WithMatchFile(text.str(), chosen->table);
    if (!out.flush()) {
      papplJobSetMessage(job, "Cannot write the job's settings in %s.", job_folder.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), settings.c_str()) != 0) {
    papplJobSetMessage(job, "Cannot write the job's settings in %s.", job_folder.c_str());
    return false;
  }
  papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "colour table %s (%s)", chosen->table, chosen->ipp);
  return true;
}
