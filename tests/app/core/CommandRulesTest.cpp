// Which commands an archive allows, by its type: one row per kind of archive.
#include <gtest/gtest.h>

#include "app/core/CommandRules.h"

namespace vk::app {
namespace {

using namespace qel;

TEST(CommandRules, AvailabilityByType) {
  struct Row {
    TArcType type;
    bool add, extract, test, sfx, comments;
  };
  const Row rows[] = {
      {atZip, true, true, true, true, true},      {atZipExe, true, true, true, false, false},
      {atJar, true, true, true, true, false},     {atJarExe, false, true, true, false, false},
      {atZipMV, false, true, true, false, false},  // no writer updates a split set
      {atCab, false, true, true, false, false},    // a cabinet is only ever made whole
      {atRar, false, true, true, true, false},    {atTar, true, true, true, false, false},
      {atGZip, true, true, true, false, false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(ArcTypeName(r.type)));
    const TCommandAvailability a = CommandAvailability({true, r.type, false});
    EXPECT_TRUE(a.ActionsMenu);
    EXPECT_EQ(a.Enabled.at("acAdd"), r.add);
    EXPECT_EQ(a.Enabled.at("acDelete"), r.add);
    EXPECT_EQ(a.Enabled.at("acExtract"), r.extract);
    EXPECT_EQ(a.Enabled.at("acView"), r.extract);
    EXPECT_EQ(a.Enabled.at("acCheckOut"), r.extract);
    EXPECT_FALSE(a.Enabled.at("acInstall"));
    EXPECT_EQ(a.Enabled.at("acTest"), r.test);
    EXPECT_EQ(a.Enabled.at("acMakeSFXFile"), r.sfx);
    EXPECT_EQ(a.Enabled.at("acComments"), r.comments);
    EXPECT_TRUE(a.Enabled.at("acClose"));
    EXPECT_EQ(a.Enabled.at("acRename"), r.type == atZip || r.type == atJar || r.type == atTar);
  }
  // A setup program turns CheckOut into Install.
  const TCommandAvailability setup = CommandAvailability({true, atZip, true});
  EXPECT_TRUE(setup.Enabled.at("acInstall"));
  EXPECT_FALSE(setup.Enabled.at("acCheckOut"));
  // No archive: no Actions menu and none of the archive's commands.
  const TCommandAvailability none = CommandAvailability({false, atZip, true});
  EXPECT_FALSE(none.ActionsMenu);
  for (const auto& [name, enabled] : none.Enabled) EXPECT_FALSE(enabled) << name.toStdString();
}

TEST(CommandRules, WriterTableHoldsOnlyBuiltWriters) {
  EXPECT_EQ(WriterForType(atZipExe), TComponentKind::Zip);
  EXPECT_EQ(WriterForType(atJar), TComponentKind::Jar);
  EXPECT_EQ(WriterForType(atLzh), TComponentKind::Lha);
  EXPECT_EQ(WriterForType(atTarGz), TComponentKind::TarGZ);
  EXPECT_EQ(WriterForType(atBz2), TComponentKind::BZip2);
  EXPECT_EQ(WriterForType(atBh), TComponentKind::BlakHole);
  for (TArcType t : {atCab, atZipMV, at7Zip, atRar})
    EXPECT_FALSE(WriterForType(t).has_value()) << std::string(ArcTypeName(t));
}

}  // namespace
}  // namespace vk::app
