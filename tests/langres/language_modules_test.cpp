// The six language modules, loaded the way the program loads them: every
// number the program shows, the progress dialog and the icon.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "framework/afx.h"
#include "framework/resources.h"
#include "platform/module.h"

namespace {

const char* const kModules[] = {"vyr_eng.dll", "vyr_dut.dll", "vyr_ger.dll",
                                "vyr_spa.dll", "vyr_fre.dll", "vyr_ita.dll"};

// Every string number the program shows or uses as a caption or a button.
const uint32_t kNumbers[] = {2001, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010,
                             2011, 2012, 2013, 2014, 2015, 2016, 2017, 2018, 2019,
                             2026, 2027, 2028, 2029, 2030, 2032, 2033, 2034, 2040, 2041};

bool IsValidUtf8(const char* s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    int more = *p < 0x80 ? 0 : (*p & 0xE0) == 0xC0 ? 1 : (*p & 0xF0) == 0xE0 ? 2
               : (*p & 0xF8) == 0xF0 ? 3 : -1;
    if (more < 0 || (more == 1 && *p < 0xC2)) return false;
    ++p;
    for (int i = 0; i < more; ++i, ++p)
      if ((*p & 0xC0) != 0x80) return false;
  }
  return true;
}

const char* Find(const VyrResourceTable* t, uint32_t id) {
  for (uint32_t i = 0; i < t->stringCount; ++i)
    if (t->strings[i].id == id) return t->strings[i].text;
  return nullptr;
}

class LanguageModule : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(GetParam());
    ASSERT_NE(module_, nullptr) << GetParam();
    auto fn = reinterpret_cast<VyrResourcesFn>(GetProcAddress(module_, "VyrResources"));
    ASSERT_NE(fn, nullptr);
    table_ = fn();
    ASSERT_NE(table_, nullptr);
  }
  void TearDown() override {
    AfxSetResourceHandle(nullptr);
    if (module_) FreeLibrary(module_);
  }
  HMODULE module_ = nullptr;
  const VyrResourceTable* table_ = nullptr;
};

}  // namespace

TEST_P(LanguageModule, HoldsEveryNumberedString) {
  ASSERT_NE(table_->language, nullptr);
  EXPECT_GT(std::strlen(table_->language), 0u);
  std::set<uint32_t> seen;
  for (uint32_t i = 0; i < table_->stringCount; ++i)
    EXPECT_TRUE(seen.insert(table_->strings[i].id).second) << "twice: " << table_->strings[i].id;
  for (uint32_t id : kNumbers) {
    const char* text = Find(table_, id);
    ASSERT_NE(text, nullptr) << id;
    EXPECT_GT(std::strlen(text), 0u) << id;
    EXPECT_TRUE(IsValidUtf8(text)) << id;
    EXPECT_EQ(std::strchr(text, '\n'), nullptr) << id;
  }
  // Phase captions get the copy label appended and must fit the caption.
  for (uint32_t id : {2032u, 2033u, 2034u}) EXPECT_LE(std::strlen(Find(table_, id)), 39u) << id;
  // Messages are sentences a user can act on, not a few words.
  for (uint32_t id : kNumbers) {
    if (id >= 2032) continue;
    EXPECT_GE(std::strlen(Find(table_, id)), 40u) << id;
  }
}

TEST_P(LanguageModule, FrameworkFindsTheDialogAndTheIcon) {
  AfxSetResourceHandle(module_);
  CString caption;
  EXPECT_TRUE(caption.LoadString(2033));

  const VyrDialogTemplate* dialog = AfxFindDialog(102);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(dialog->caption, nullptr);
  EXPECT_GT(std::strlen(dialog->caption), 0u);
  EXPECT_LE(std::strlen(dialog->caption), 39u);  // the dialog keeps 39 characters of it
  std::map<uint32_t, const VyrDialogItem*> items;
  for (uint32_t i = 0; i < dialog->itemCount; ++i) items[dialog->items[i].id] = &dialog->items[i];
  ASSERT_EQ(items.count(1001), 1u);
  ASSERT_EQ(items.count(1002), 1u);
  ASSERT_EQ(items.count(1003), 1u);
  ASSERT_EQ(items.count(1), 1u);
  EXPECT_EQ(items[1001]->kind, kVyrItemProgress);
  EXPECT_EQ(items[1002]->kind, kVyrItemStatic);
  EXPECT_EQ(items[1003]->kind, kVyrItemStatic);
  EXPECT_EQ(items[1]->kind, kVyrItemButton);
  ASSERT_NE(items[1]->text, nullptr);
  EXPECT_GT(std::strlen(items[1]->text), 0u);
  for (const auto& [id, item] : items) {
    // Every item lies inside the dialog.
    EXPECT_GE(item->x, 0) << id;
    EXPECT_GE(item->y, 0) << id;
    EXPECT_GT(item->cx, 0) << id;
    EXPECT_GT(item->cy, 0) << id;
    EXPECT_LE(item->x + item->cx, dialog->cx) << id;
    EXPECT_LE(item->y + item->cy, dialog->cy) << id;
  }

  const VyrIconResource* icon = AfxFindIcon(128);
  ASSERT_NE(icon, nullptr);
  ASSERT_GT(icon->width, 0);
  ASSERT_GT(icon->height, 0);
  size_t colours = std::strlen(icon->paletteLetters);
  int painted = 0;
  for (int row = 0; row < icon->height; ++row) {
    ASSERT_EQ(std::strlen(icon->rows[row]), icon->width) << "row " << row;
    for (int col = 0; col < icon->width; ++col) {
      char c = icon->rows[row][col];
      if (c == ' ') continue;
      ++painted;
      const char* at = std::strchr(icon->paletteLetters, c);
      ASSERT_TRUE(at != nullptr && c != '\0') << "row " << row << " letter " << c;
      EXPECT_LT(static_cast<size_t>(at - icon->paletteLetters), colours);
    }
  }
  EXPECT_GT(painted, icon->width * icon->height / 2);
}

INSTANTIATE_TEST_SUITE_P(AllSix, LanguageModule, ::testing::ValuesIn(kModules),
                         [](const auto& info) { return std::string(info.param).substr(4, 3); });

TEST(LanguageModules, TheSixLanguagesDiffer) {
  std::set<std::string> languages, captions;
  std::map<uint32_t, std::set<std::string>> texts;
  for (const char* name : kModules) {
    HMODULE m = LoadLibraryA(name);
    ASSERT_NE(m, nullptr) << name;
    auto fn = reinterpret_cast<VyrResourcesFn>(GetProcAddress(m, "VyrResources"));
    ASSERT_NE(fn, nullptr) << name;
    const VyrResourceTable* t = fn();
    languages.insert(t->language);
    AfxSetResourceHandle(m);
    captions.insert(AfxFindDialog(102)->caption);
    for (uint32_t id : kNumbers)
      if (const char* text = Find(t, id)) texts[id].insert(text);
    AfxSetResourceHandle(nullptr);
    FreeLibrary(m);
  }
  EXPECT_EQ(languages.size(), 6u);
  EXPECT_EQ(captions.size(), 6u);
  // Every message reads differently in each language. ("Printer" may be the
  // same word in two languages, so the short captions are left out.)
  for (uint32_t id : kNumbers) {
    if (id >= 2032) continue;
    EXPECT_EQ(texts[id].size(), 6u) << id;
  }
}
