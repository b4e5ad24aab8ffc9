#include "tools/cct_cube.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/whole_file.h"

namespace {

// A value this close outside its domain is printing noise, not an error.
constexpr double kDomainSlack = 1e-6;

const char* const kChannel[3] = {"red", "green", "blue"};

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::vector<std::string> Split(const std::string& s) {
  std::vector<std::string> out;
  size_t at = 0;
  while ((at = s.find_first_not_of(" \t", at)) != std::string::npos) {
    const size_t end = std::min(s.find_first_of(" \t", at), s.size());
    out.emplace_back(s, at, end - at);
    at = end;
  }
  return out;
}

// One number, whole token, in any locale. `what` says what it was.
bool ParseNumber(const std::string& token, double& value, std::string& problem) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (first != last && *first == '+') ++first;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last || first == last) {
    problem = "'" + token + "' is not a number";
    return false;
  }
  if (!std::isfinite(value)) {
    problem = "'" + token + "' is not a finite number";
    return false;
  }
  return true;
}

class CubeParser {
 public:
  CubeParser(const std::string& name, CubeLut& lut, std::string& error) : name_(name), lut_(lut), error_(error) {}

  bool Line(const std::string& raw) {
    ++line_;
    std::string text = raw;
    if (line_ == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a byte-order mark
    if (!text.empty() && text.back() == '\r') text.pop_back();
    text = Trim(text);
    if (text.empty() || text[0] == '#') return true;
    if (text.rfind("TITLE", 0) == 0 && (text.size() == 5 || text[5] == ' ' || text[5] == '\t'))
      return Title(text.substr(5));
    text = text.substr(0, text.find('#'));  // a comment after the values
    const std::vector<std::string> words = Split(text);
    const std::string& key = words[0];
    if (key == "LUT_3D_SIZE") return Size(words, lut_.cube, kCubeMaxSize3d, size3dLine_);
    if (key == "LUT_1D_SIZE") return Size(words, lut_.shaper, kCubeMaxSize1d, size1dLine_);
    if (key == "DOMAIN_MIN") return Triple(words, domainMin_, haveDomainMin_);
    if (key == "DOMAIN_MAX") return Triple(words, domainMax_, haveDomainMax_);
    if (key == "LUT_1D_INPUT_RANGE") return Range(words, lut_.shaper, have1dRange_);
    if (key == "LUT_3D_INPUT_RANGE") return Range(words, lut_.cube, have3dRange_);
    if (std::isupper(static_cast<unsigned char>(key[0])) && key != "NAN" && key != "INF" && key != "INFINITY" &&
        key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") == std::string::npos)
      return Fail(line_, "unknown keyword " + key);
    return Row(words);
  }

  bool Finish() {
    if (lut_.cube.size == 0 && lut_.shaper.size == 0)
      return Fail(0, "no LUT_3D_SIZE: the file does not say the table's size");
    const size_t want = Expected();
    if (rows_ < want) {
      const bool cube = lut_.cube.size != 0;
      return Fail(cube ? size3dLine_ : size1dLine_,
                  std::string(cube ? "LUT_3D_SIZE " : "LUT_1D_SIZE ") +
                      std::to_string(cube ? lut_.cube.size : lut_.shaper.size) + " needs " + std::to_string(want) +
                      " rows, the file has " + std::to_string(rows_));
    }
    return true;
  }

 private:
  bool Fail(int line, const std::string& what) {
    error_ = name_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what;
    return false;
  }

  bool NotAfterRows(const std::string& key) {
    if (rows_ == 0) return true;
    return Fail(line_, key + " after the table's rows; keywords come first");
  }

  bool Title(const std::string& rest) {
    if (!NotAfterRows("TITLE")) return false;
    std::string t = Trim(rest);
    const size_t close = t.empty() || t.front() != '"' ? std::string::npos : t.find('"', 1);
    lut_.title = close != std::string::npos ? t.substr(1, close - 1) : Trim(t.substr(0, t.find('#')));
    return true;
  }

  bool Size(const std::vector<std::string>& words, CubeStage& stage, int most, int& sizeLine) {
    if (!NotAfterRows(words[0])) return false;
    if (stage.size != 0) return Fail(line_, words[0] + " given twice (first on line " + std::to_string(sizeLine) + ")");
    if (words.size() != 2) return Fail(line_, words[0] + " takes one whole number");
    int n = 0;
    const auto [end, ec] = std::from_chars(words[1].data(), words[1].data() + words[1].size(), n);
    if (ec != std::errc() || end != words[1].data() + words[1].size())
      return Fail(line_, words[0] + " '" + words[1] + "' is not a whole number");
    if (n < 2 || n > most)
      return Fail(line_, words[0] + " " + words[1] + " is outside 2.." + std::to_string(most));
    stage.size = n;
    sizeLine = line_;
    return true;
  }

  bool Numbers(const std::vector<std::string>& words, size_t from, double* out) {
    std::string problem;
    for (size_t i = 0; i < 3; ++i)
      if (!ParseNumber(words[from + i], out[i], problem)) return Fail(line_, words[0] + ": " + problem);
    return true;
  }

  bool Triple(const std::vector<std::string>& words, double* out, bool& seen) {
    if (!NotAfterRows(words[0])) return false;
    if (words.size() != 4) return Fail(line_, words[0] + " takes three numbers (red, green, blue)");
    seen = true;
    return Numbers(words, 1, out);
  }

  bool Range(const std::vector<std::string>& words, CubeStage& stage, bool& seen) {
    if (!NotAfterRows(words[0])) return false;
    if (words.size() != 3) return Fail(line_, words[0] + " takes two numbers (low, high)");
    double lo = 0, hi = 0;
    std::string problem;
    if (!ParseNumber(words[1], lo, problem) || !ParseNumber(words[2], hi, problem))
      return Fail(line_, words[0] + ": " + problem);
    std::fill(stage.min, stage.min + 3, lo);
    std::fill(stage.max, stage.max + 3, hi);
    seen = true;
    return CheckDomain(stage, words[0]);
  }

  bool CheckDomain(const CubeStage& stage, const std::string& field) {
    for (int c = 0; c < 3; ++c)
      if (!(stage.min[c] < stage.max[c]))
        return Fail(line_, field + ": the " + kChannel[c] + " domain is empty (low is not below high)");
    return true;
  }

  size_t Expected() const {
    const size_t n = static_cast<size_t>(lut_.cube.size);
    return static_cast<size_t>(lut_.shaper.size) + n * n * n;
  }

  // Before the first row: DOMAIN_MIN / DOMAIN_MAX belong to the first stage.
  bool Begin() {
    if (lut_.cube.size == 0 && lut_.shaper.size == 0)
      return Fail(line_, "a table row before LUT_3D_SIZE: the file does not say the table's size first");
    if (haveDomainMin_ || haveDomainMax_) {
      CubeStage& first = lut_.shaper.size ? lut_.shaper : lut_.cube;
      if ((lut_.shaper.size ? have1dRange_ : have3dRange_))
        return Fail(line_, "DOMAIN_MIN/DOMAIN_MAX and an INPUT_RANGE both give the first stage's domain");
      std::copy(domainMin_, domainMin_ + 3, first.min);
      std::copy(domainMax_, domainMax_ + 3, first.max);
      if (!CheckDomain(first, "DOMAIN_MIN/DOMAIN_MAX")) return false;
    }
    const size_t n = static_cast<size_t>(lut_.cube.size);
    lut_.shaper.values.reserve(static_cast<size_t>(lut_.shaper.size) * 3);
    lut_.cube.values.reserve(n * n * n * 3);
    return true;
  }

  bool Row(const std::vector<std::string>& words) {
    if (rows_ == 0 && !Begin()) return false;
    if (rows_ >= Expected())
      return Fail(line_, "more rows than the " + std::to_string(Expected()) + " the table's size calls for");
    if (words.size() != 3)
      return Fail(line_, std::to_string(words.size()) + " values, a row holds three (red, green, blue)");
    double v[3];
    std::string problem;
    for (int c = 0; c < 3; ++c)
      if (!ParseNumber(words[c], v[c], problem)) return Fail(line_, problem);
    const bool inShaper = rows_ < static_cast<size_t>(lut_.shaper.size);
    // A shaper's outputs feed the 3D table; the last stage's outputs are page
    // values again, in the file's input domain.
    const CubeStage& domain = inShaper && lut_.cube.size ? lut_.cube : (lut_.shaper.size ? lut_.shaper : lut_.cube);
    const char* field = &domain == &lut_.cube && lut_.shaper.size ? "LUT_3D_INPUT_RANGE" : "DOMAIN_MIN/DOMAIN_MAX";
    for (int c = 0; c < 3; ++c) {
      const double slack = kDomainSlack * (domain.max[c] - domain.min[c]);
      if (v[c] < domain.min[c] - slack || v[c] > domain.max[c] + slack) {
        std::ostringstream what;
        what << kChannel[c] << " value " << words[c] << " lies outside the domain " << domain.min[c] << " to "
             << domain.max[c] << " (" << field << ")";
        return Fail(line_, what.str());
      }
    }
    std::vector<float>& to = inShaper ? lut_.shaper.values : lut_.cube.values;
    for (int c = 0; c < 3; ++c) to.push_back(static_cast<float>(v[c]));
    ++rows_;
    return true;
  }

  const std::string& name_;
  CubeLut& lut_;
  std::string& error_;
  int line_ = 0;
  int size3dLine_ = 0, size1dLine_ = 0;
  size_t rows_ = 0;
  double domainMin_[3] = {0, 0, 0}, domainMax_[3] = {1, 1, 1};
  bool haveDomainMin_ = false, haveDomainMax_ = false, have1dRange_ = false, have3dRange_ = false;
};

// Where page value x falls on an even grid of `size` points over the stage's
// domain on channel c: the lower point and the fraction towards the next.
void GridPlace(const CubeStage& stage, int c, double x, int& lower, double& fraction) {
  double t = (x - stage.min[c]) / (stage.max[c] - stage.min[c]) * (stage.size - 1);
  t = std::clamp(t, 0.0, static_cast<double>(stage.size - 1));
  lower = std::min(static_cast<int>(t), stage.size - 2);
  fraction = t - lower;
}

void Tetrahedral(const CubeStage& cube, const double in[3], double out[3]) {
  int i[3];
  double f[3];
  for (int c = 0; c < 3; ++c) GridPlace(cube, c, in[c], i[c], f[c]);
  const size_t n = static_cast<size_t>(cube.size);
  // Red varies fastest: row (r, g, b) is r + n * (g + n * b).
  auto at = [&](int dr, int dg, int db) {
    return &cube.values[((static_cast<size_t>(i[0] + dr) + n * (static_cast<size_t>(i[1] + dg) +
                                                               n * static_cast<size_t>(i[2] + db))) * 3)];
  };
  // The cell splits into six tetrahedra along its main diagonal; the point's
  // channel fractions in falling order pick one, and the path from corner
  // (0,0,0) to (1,1,1) along the axes in that order gives its weights.
  int order[3] = {0, 1, 2};
  std::sort(order, order + 3, [&](int a, int b) { return f[a] > f[b]; });
  int step[3] = {0, 0, 0};
  const float* prev = at(0, 0, 0);
  double w[4] = {1.0 - f[order[0]], f[order[0]] - f[order[1]], f[order[1]] - f[order[2]], f[order[2]]};
  for (int c = 0; c < 3; ++c) out[c] = w[0] * prev[c];
  for (int k = 0; k < 3; ++k) {
    step[order[k]] = 1;
    const float* corner = at(step[0], step[1], step[2]);
    for (int c = 0; c < 3; ++c) out[c] += w[k + 1] * corner[c];
  }
}

}  // namespace

bool ParseCube(std::istream& in, const std::string& name, CubeLut& lut, std::string& error) {
  lut = CubeLut{};
  CubeParser parser(name, lut, error);
  std::string line;
  while (std::getline(in, line))
    if (!parser.Line(line)) return false;
  if (in.bad()) {
    error = "cannot read " + name;
    return false;
  }
  return parser.Finish();
}

bool ReadCubeFile(const std::string& path, CubeLut& lut, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  return ParseCube(in, path, lut, error);
}

void CubeLookup(const CubeLut& lut, const double in[3], double out[3]) {
  double x[3] = {in[0], in[1], in[2]};
  if (lut.shaper.size) {
    for (int c = 0; c < 3; ++c) {
      int lower;
      double f;
      GridPlace(lut.shaper, c, x[c], lower, f);
      const float* v = &lut.shaper.values[static_cast<size_t>(lower) * 3];
      x[c] = v[c] + f * (v[3 + c] - v[c]);
    }
  }
  if (lut.cube.size)
    Tetrahedral(lut.cube, x, out);
  else
    std::copy(x, x + 3, out);
}

void WriteCubeText(std::ostream& out, const CctTable& table, const std::string& title) {
  out << "# Colour-match table " << title << " as a 3D LUT.\n"
      << "# The table's lattice nodes lie at the page levels 0, 7, 15, 23, ..., 247, 255\n"
      << "# (node k at level 8k - 1), not on an even grid. The 1D shaper takes every\n"
      << "# level to its place between its nodes, so node k falls on point k of the\n"
      << "# 33-point 3D grid, and the 3D rows are the table's own entries, byte / 255.\n"
      << "TITLE \"" << title << "\"\n"
      << "LUT_1D_SIZE 256\nLUT_1D_INPUT_RANGE 0.0 1.0\n"
      << "LUT_3D_SIZE " << kLatticeSize << "\nLUT_3D_INPUT_RANGE 0.0 1.0\n";
  char buf[64];
  for (int v = 0; v < 256; ++v) {
    const int k = LatticeCell(v);
    const int width = k == 0 ? 7 : 8;
    const double place = (k + static_cast<double>(v - LatticeNode(k)) / width) / (kLatticeSize - 1);
    std::snprintf(buf, sizeof buf, "%.9f %.9f %.9f\n", place, place, place);
    out << buf;
  }
  for (int iB = 0; iB < kLatticeSize; ++iB)
    for (int iG = 0; iG < kLatticeSize; ++iG)
      for (int iR = 0; iR < kLatticeSize; ++iR) {
        const uint8_t* e = table.At(iR, iG, iB);
        std::snprintf(buf, sizeof buf, "%.6f %.6f %.6f\n", e[0] / 255.0, e[1] / 255.0, e[2] / 255.0);
        out << buf;
      }
}

bool WriteCubeFile(const std::string& path, const CctTable& table, const std::string& title, std::string& error) {
  return ReplaceFile(
      path,
      [&](const std::string& temp) {
        std::ofstream out(temp, std::ios::binary);
        WriteCubeText(out, table, title);
        out.close();
        return !out.fail();
      },
      error);
}
