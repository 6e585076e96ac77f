// The rules every registered format keeps, so that a new descriptor cannot quietly shadow
// another's type or promise what its code cannot do.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "engine/registry/Formats.h"

namespace qel {
namespace {

TEST(FormatRegistry, EveryDescriptorKeepsTheRules) {
  std::set<TArcType> types;
  std::set<std::string> names;
  std::set<const TConversionRow*> conversions;
  for (const TFormatDescriptor* f : RegisteredFormats()) {
    SCOPED_TRACE(f->Name);
    EXPECT_TRUE(names.insert(f->Name).second) << "two families of one name";
    EXPECT_EQ(FormatNamed(f->Name), f);
    EXPECT_FALSE(f->Types.empty());
    // A family is listed and read by its own code, or by an outside library, or not yet.
    EXPECT_EQ(f->MakeReader != nullptr, f->List != nullptr);
    for (const TTypeRow& row : f->Types) {
      SCOPED_TRACE(std::string(ArcTypeName(row.Type)));
      EXPECT_TRUE(types.insert(row.Type).second) << "a type in two families";
      if (row.Can & capTest) {
        EXPECT_TRUE(f->MakeReader || f->LibraryMissing);
      }
      if (!row.Writer) continue;
      const TFormatWriter& w = *row.Writer;
      EXPECT_EQ(w.Extension[0], '.');
      EXPECT_NE(std::find(w.Methods.begin(), w.Methods.end(), w.InitialMethod), w.Methods.end());
      if (w.Conversion) conversions.insert(w.Conversion);
    }
  }
  std::set<int> orders;
  for (const TConversionRow* c : conversions)
    EXPECT_TRUE(orders.insert(c->Order).second) << "two converter rows at " << c->Caption;
}

TEST(FormatRegistry, LookUpsByType) {
  struct Row {
    TArcType type;
    const char* family;  // nullptr: no family
    bool reads, updates, tests;
  } rows[] = {
      {atZip, "zip", true, true, true},     {atZipMV, "zip", true, false, true},
      {atJarExe, "jar", true, false, true}, {at7Zip, "7z", false, false, true},
      {atCab, "cab", true, false, true},    {atBh, "bh", true, true, true},
      {atNA, nullptr, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(ArcTypeName(r.type)));
    const TFormatDescriptor* f = FormatOf(r.type);
    EXPECT_EQ(f ? std::string(f->Name) : "", r.family ? r.family : "");
    EXPECT_EQ(ReaderFor(r.type) != nullptr, r.reads);
    EXPECT_EQ(UpdaterFor(r.type) != nullptr, r.updates);
    EXPECT_EQ(Can(r.type, capTest), r.tests);
  }
  EXPECT_EQ(FormatNamed("ZIP"), FormatOf(atZip));
  EXPECT_EQ(FormatNamed("zi"), nullptr);
}

}  // namespace
}  // namespace qel
