#include "tools/cct_icc.h"

#include <lcms2.h>

#include <memory>
#include <vector>

#include "tools/whole_file.h"

namespace {

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
         static_cast<uint32_t>(p[3]);
}

std::string Signature(uint32_t sig) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>(sig >> shift);
    s += c >= 32 && c < 127 ? c : '?';
  }
  return "'" + s + "'";
}

// The header and tag table of a profile file, checked before LittleCMS sees
// it, so that a short or foreign file is named for what is wrong with it.
bool CheckProfileBytes(const std::string& path, const std::vector<uint8_t>& b, std::string& error) {
  const size_t size = b.size();
  auto fail = [&](const std::string& what) {
    error = path + ": " + what;
    return false;
  };
  if (size == 0) return fail("empty file, not an ICC profile");
  if (size < 132) return fail(std::to_string(size) + " bytes, shorter than an ICC profile's header and tag count");
  if (BigEndian32(&b[36]) != 0x61637370)  // 'acsp'
    return fail("field 'profile file signature' (byte 36) is " + Signature(BigEndian32(&b[36])) +
                ", not 'acsp': not an ICC profile");
  const uint32_t declared = BigEndian32(&b[0]);
  if (declared > size)
    return fail("field 'profile size' (byte 0) says " + std::to_string(declared) + " bytes, the file holds " +
                std::to_string(size) + ": truncated");
  const uint32_t tags = BigEndian32(&b[128]);
  if (132 + static_cast<uint64_t>(tags) * 12 > size)
    return fail("field 'tag count' (byte 128) says " + std::to_string(tags) + " tags, more than the file holds");
  for (uint32_t t = 0; t < tags; ++t) {
    const uint8_t* entry = &b[132 + t * 12];
    const uint64_t end = static_cast<uint64_t>(BigEndian32(entry + 4)) + BigEndian32(entry + 8);
    if (end > size)
      return fail("tag " + Signature(BigEndian32(entry)) + " runs to byte " + std::to_string(end) +
                  ", past the end of the file (" + std::to_string(size) + " bytes): truncated");
  }
  return true;
}

struct LcmsErrors {
  std::string last;
};

void CollectError(cmsContext context, cmsUInt32Number, const char* text) {
  auto* errors = static_cast<LcmsErrors*>(cmsGetContextUserData(context));
  if (errors && text) errors->last = text;
}

struct ProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

Profile OpenProfile(cmsContext context, const std::string& path, const LcmsErrors& errors, std::string& error) {
  if (path == "srgb" || path == "sRGB") return Profile(cmsCreate_sRGBProfileTHR(context));
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes, error)) return nullptr;
  if (!CheckProfileBytes(path, bytes, error)) return nullptr;
  Profile profile(cmsOpenProfileFromMemTHR(context, bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
  if (!profile) {
    error = path + ": not a readable ICC profile" + (errors.last.empty() ? "" : " (" + errors.last + ")");
    return nullptr;
  }
  const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
  if (space != cmsSigRgbData) {
    error = path + ": field 'colour space' (byte 16) is " + Signature(space) + ", not 'RGB ': the page and the " +
            "printer are RGB";
    return nullptr;
  }
  const cmsProfileClassSignature kind = cmsGetDeviceClass(profile.get());
  if (kind == cmsSigLinkClass || kind == cmsSigAbstractClass || kind == cmsSigNamedColorClass) {
    error = path + ": field 'profile class' (byte 12) is " + Signature(kind) +
            ", not a device profile (input, display, output or colour space)";
    return nullptr;
  }
  return profile;
}

}  // namespace

bool MakeTableFromProfiles(const IccTableRequest& request, CctTable& table, int& clippedNodes, std::string& error) {
  LcmsErrors errors;
  cmsContext context = cmsCreateContext(nullptr, &errors);
  if (context == nullptr) {
    error = "LittleCMS cannot start";
    return false;
  }
  cmsSetLogErrorHandlerTHR(context, CollectError);
  bool ok = false;
  {
    Profile input = OpenProfile(context, request.input, errors, error);
    Profile output = input ? OpenProfile(context, request.output, errors, error) : nullptr;
    if (input && output) {
      const cmsUInt32Number flags = request.blackPointCompensation ? cmsFLAGS_BLACKPOINTCOMPENSATION : 0;
      cmsHTRANSFORM transform = cmsCreateTransformTHR(context, input.get(), TYPE_RGB_DBL, output.get(), TYPE_RGB_DBL,
                                                      static_cast<cmsUInt32Number>(request.intent), flags);
      if (transform == nullptr) {
        error = request.input + " to " + request.output + ": LittleCMS cannot join the profiles" +
                (errors.last.empty() ? "" : " (" + errors.last + ")");
      } else {
        clippedNodes = SampleLattice(table, [&](const double in[3], double out[3]) {
          cmsDoTransform(transform, in, out, 1);
        });
        cmsDeleteTransform(transform);
        ok = true;
      }
    }
  }
  cmsDeleteContext(context);
  return ok;
}
