// The add and extract dialogs' window-free part: the names they propose, the type and
// method tables, and what the engine components receive from the choices.
#include <gtest/gtest.h>

#include <QDir>

#include "app/core/AddChoices.h"
#include "app/core/AppSettings.h"
#include "app/core/ArchiveNames.h"
#include "app/core/Translation.h"
#include "engine/compress/CompBase.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

using qel::TCompressMethod;
using qel::TEncryptionMethod;
using qel::test::TestFolder;

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::vector<std::string> Strings(const qel::TStrings& list) { return {list.begin(), list.end()}; }

TEST(AddChoicesNames, ReplaceExtensionAndBaseName) {
  const std::tuple<const char*, const char*, const char*> replaced[] = {
      {"report", ".7z", "report"},
      {"/home/u/report.zip", ".7z", "/home/u/report.7z"},
      {"a.tar.gz", ".zip", "a.zip"},
      {"a.TAR.bz2", ".tar.gz", "a.tar.gz"},
      {"x.ZIP", ".zip", "x.ZIP"},
      {"/v1.2/report", ".zip", "/v1.2/report"},  // a dotted folder is not an extension
      {"a.tar", ".tar.gz", "a.tar.gz"}};
  for (const auto& [name, ext, want] : replaced)
    EXPECT_EQ(ReplaceArchiveExtension(name, ext), want) << name << " " << ext;

  const std::pair<const char*, const char*> bases[] = {{"/in/backup.tar.gz", "backup"},
                                                       {"photos.7z.001", "photos"},
                                                       {"/in/set.TAR.BZ2", "set"},
                                                       {"plain", "plain"},
                                                       {"/x/.zip", ".zip"},
                                                       {"a.b.zip", "a.b"}};
  for (const auto& [archive, want] : bases) EXPECT_EQ(ArchiveBaseName(archive), want) << archive;
}

TEST(AddChoicesNames, ProposedArchiveNames) {
  TestFolder dir;
  const QString root = Q(dir.Path());
  QDir().mkpath(root + "/docs.v2");
  qel::test::WriteFileText(dir / "notes.txt", "x");
  qel::test::WriteFileText(dir / ".profile", "x");
  const std::tuple<QString, bool, QString> cases[] = {
      {root + "/notes.txt", false, root + "/notes.zip"},
      {root + "/.profile", false, root + "/.profile.zip"},
      {root + "/docs.v2", false, root + "/docs.v2.zip"},
      {root + "/docs.v2/", false, root + "/docs.v2.zip"},
      {root + "/docs.v2/*", false, root + "/docs.v2.zip"},        // a mask is its folder
      {root + "/missing.txt", false, root + "/missing.txt.zip"},  // unreadable: a folder
      {root + "/docs.v2", true, root + "/docs.v2/docs.v2.zip"},
      {"/", true, "/Root.zip"},
      {"/*", false, "/Root.zip"}};
  for (const auto& [item, several, want] : cases)
    EXPECT_EQ(ProposedArchiveName(item, several, ".zip"), want) << item.toStdString();
  EXPECT_EQ(DefaultArchiveExtension(3), ".cab");
  EXPECT_EQ(DefaultArchiveExtension(42), ".zip");
}

TEST(AddChoicesNames, ExtractDestinationByRule) {
  const QString archive = "/in/set.tar.bz2";
  EXPECT_EQ(ExtractDestination(0, archive, false, "/last", "/fixed"), "/in/");
  EXPECT_EQ(ExtractDestination(1, archive, false, "/last", "/fixed"), "/in/set");
  EXPECT_EQ(ExtractDestination(1, archive, true, "/last", "/fixed"), "/in/");
  EXPECT_EQ(ExtractDestination(2, archive, false, "/last", "/fixed"), "/last");
  EXPECT_EQ(ExtractDestination(3, archive, false, "/last", "/fixed"), "/fixed");
}

TEST(AddChoicesTables, MethodListsAndWhatTheWritersAccept) {
  EXPECT_EQ(MethodList(TComponentKind::Zip), QStringList({"Store", "Deflate", "Bzip2"}));
  EXPECT_EQ(MethodList(TComponentKind::MakeCab), QStringList({"Store", "MsZip", "Lzx", "Quantum"}));
  EXPECT_EQ(MethodList(TComponentKind::BZip2), QStringList({"BZip2"}));
  EXPECT_EQ(MethodList(TComponentKind::SevenZip), QStringList({"LZMA", "LZMA2", "PPMd"}));
  // Every writer starts with, and accepts exactly, what its list offers among 0 to 15.
  TArchiveComponents c;
  for (int k = 0; k < int(TComponentKind::SevenZip); ++k) {
    const auto kind = TComponentKind(k);
    qel::TCompBase& w = c.Writer(kind);
    EXPECT_EQ(w.CompressMethod(), InitialMethod(kind)) << k;
    const auto offered = WriterMethods(kind);
    for (int m = 0; m <= int(TCompressMethod::cmBz2); ++m) {
      const TCompressMethod before = w.CompressMethod();
      const bool accepted = w.SetCompressMethod(TCompressMethod(m));
      EXPECT_EQ(accepted,
                std::find(offered.begin(), offered.end(), TCompressMethod(m)) != offered.end())
          << ComponentType(kind).Component << " " << MethodName(TCompressMethod(m)).toStdString();
      if (!accepted) {
        EXPECT_EQ(w.CompressMethod(), before);
      }
    }
  }
}

TEST(AddChoicesTables, TypeEntriesByNameAndType) {
  const std::pair<const char*, TComponentKind> byName[] = {
      {"x.tgz", TComponentKind::TarGZ}, {"x.Tar.Bz2", TComponentKind::TarBZ},
      {"x.gz", TComponentKind::GZip},   {"x.7z", TComponentKind::SevenZip},
      {"x.LZH", TComponentKind::Lha},   {"x.gza", TComponentKind::Bga},
      {"x.zoo", TComponentKind::Zip},   {"/a.b/x", TComponentKind::Zip}};
  for (const auto& [name, kind] : byName) EXPECT_EQ(NewArchiveType(name).Kind, kind) << name;
  EXPECT_STREQ(NewArchiveType("x.7z").Caption, "7-ZIP");
  EXPECT_EQ(OpenArchiveType(qel::atZipExe)->Kind, TComponentKind::Zip);
  EXPECT_EQ(OpenArchiveType(qel::atLzh)->Kind, TComponentKind::Lha);
  EXPECT_FALSE(OpenArchiveType(qel::atRar).has_value());

  const std::pair<const char*, int> compact[] = {{"data.tar.gz", 8}, {"d.TAR.BZ2", 3},
                                                 {"d.gza", 2},       {"d.lzh", 6},
                                                 {"d.tar", 7},       {"d.rar", -1}};
  for (const auto& [name, entry] : compact) EXPECT_EQ(CompactTypeOfName(name), entry) << name;
  EXPECT_EQ(CompactTypes()[8].Kind, TComponentKind::TarGZ);
  EXPECT_EQ(CompactTypes()[3].Kind, TComponentKind::TarBZ);
  EXPECT_EQ(CompactTypeOfDefArcType(3), 4);
  EXPECT_EQ(CompactTypeOfDefArcType(7), 10);
  EXPECT_EQ(CompactTypeOfDefArcType(8), -1);
  EXPECT_EQ(CompactExtension(2, 1), ".gza");
  EXPECT_EQ(StoreAsIsList().size(), 31);

  TestFolder dir;
  TAppSettings s(Q(dir / "Settings.ini"));
  s.DefBhMethod = 1;
  s.DefCabMethod = 2;
  s.DefZipMethod = 9;  // names no entry
  EXPECT_EQ(MethodList(TComponentKind::BlakHole)[DefaultMethodEntry(TComponentKind::BlakHole, s)],
            "Fuse");
  EXPECT_EQ(DefaultMethodEntry(TComponentKind::MakeCab, s), 2);
  EXPECT_EQ(DefaultMethodEntry(TComponentKind::Zip, s), 0);
  EXPECT_EQ(DefaultMethodEntry(TComponentKind::Tar, s), 0);
}

TEST(AddChoicesSettings, TypeSettingsPerComponent) {
  TArchiveComponents c;
  c.Select(TComponentKind::Zip);
  c.CurrentWriter->Switch = qel::TSwitch::swDelete;
  TTypeSettings t = ApplyTypeSettings(c, 0);
  EXPECT_TRUE(t.WriterControls);
  EXPECT_EQ(t.Methods[t.Method], "Deflate");
  EXPECT_EQ(c.CurrentWriter->Switch, qel::TSwitch::swAdd);  // beyond Move: back to Add
  EXPECT_TRUE(t.EncryptionEnabled);
  EXPECT_FALSE(t.PasswordEnabled);  // "None" chosen
  EXPECT_TRUE(ApplyTypeSettings(c, 3).PasswordEnabled);
  EXPECT_TRUE(t.CompressionEnabled);

  c.Select(TComponentKind::BlakHole);  // takes a password, chooses no encryption
  t = ApplyTypeSettings(c, 2);
  EXPECT_FALSE(t.EncryptionEnabled);
  EXPECT_EQ(t.Encryption, 0);
  EXPECT_TRUE(t.PasswordEnabled);

  c.Select(TComponentKind::SevenZip);  // a wrapper beside the writer
  EXPECT_EQ(c.CurrentKind(), TComponentKind::SevenZip);
  t = ApplyTypeSettings(c, 0);
  EXPECT_FALSE(t.WriterControls);
  EXPECT_TRUE(t.SolidVisible);
  EXPECT_EQ(t.Encryption, 3);
  EXPECT_TRUE(t.CompressionEnabled);
  ApplyMethod(c, "LZMA2");
  EXPECT_FALSE(CompressionApplies(c));
  ApplyMethod(c, "LZMA");
  EXPECT_TRUE(CompressionApplies(c));

  c.Select(TComponentKind::Zip);
  EXPECT_EQ(c.CurrentWrapper, nullptr);
  ApplyMethod(c, "Store");
  EXPECT_FALSE(CompressionApplies(c));
  ApplyMethod(c, "PPMd");  // not a name of the table: Store
  EXPECT_EQ(c.CurrentWriter->CompressMethod(), TCompressMethod::cmStore);
  c.Select(TComponentKind::BZip2);
  ApplyMethod(c, "Store");  // keeps its only method
  EXPECT_EQ(c.CurrentWriter->CompressMethod(), TCompressMethod::cmBz2);
}

TEST(AddChoicesWriter, OptionsAndFileSpecs) {
  const std::vector<TBrowserItem> items = {{"/src/a.txt", false, true},
                                           {"/src/docs", true, true},
                                           {"/src/skip", true, false},
                                           {"/src/b.txt", false, false}};
  struct Case {
    TComponentKind kind;
    int stored;
    std::vector<std::string> fileSpec;
    QStringList folderList;
  };
  const Case cases[] = {{TComponentKind::Zip, 4, {"/src/a.txt"}, {"/src/docs/*"}},
                        {TComponentKind::Zip, 3, {"/src/a.txt", "/src/docs/*"}, {}},
                        // A cabinet is written in one pass, relative names or not.
                        {TComponentKind::MakeCab, 4, {"/src/a.txt", "/src/docs/*"}, {}}};
  TestFolder temp;
  for (const Case& k : cases) {
    TArchiveComponents c;
    c.Select(k.kind);
    c.FolderList = {"/stale/*"};
    TAddOptions o;
    o.Compression = 1;
    o.Action = 2;
    o.IncludeSubFolders = true;
    o.Hidden = false;
    o.StoredFolders = k.stored;
    o.DateAttributes = 2;
    o.Method = "Store";
    ApplyWriterOptions(c, o, Q(temp.Path()));
    ASSERT_TRUE(FillFileSpecs(c, items));
    qel::TCompBase& w = *c.CurrentWriter;
    EXPECT_EQ(Strings(w.FileSpec), k.fileSpec);
    EXPECT_EQ(c.FolderList, k.folderList);
    EXPECT_EQ(Strings(w.ExcludeSpec), (std::vector<std::string>{"/src/skip/*", "/src/b.txt/*"}));
    EXPECT_EQ(c.RelativeFolders, k.stored == 4);
    EXPECT_EQ(w.Switch, qel::TSwitch::swMove);
    EXPECT_EQ(w.DeflateType, qel::TDeflateType::dtDeflateF);
    EXPECT_EQ(w.DateAttribute, qel::TDateAttribute::daMaxFileDate);
    EXPECT_TRUE(w.RecurseDirs);
    EXPECT_FALSE(w.Attributes.Has(qel::TqelFileAttribute::fsHidden));
    EXPECT_TRUE(w.AttributesEx.Has(qel::TqelFileAttribute::fsHidden));
    EXPECT_FALSE(w.AttributesEx.Has(qel::TqelFileAttribute::fsReadOnly));
    EXPECT_TRUE(w.Attributes.Has(qel::TqelFileAttribute::fsZeroAttr));
    EXPECT_TRUE(w.AttributesEx.Has(qel::TqelFileAttribute::fsSysFile));
    EXPECT_EQ(w.TempDir(), temp.Path() + "/");
    EXPECT_EQ(w.StoreFilesOfType.size(), 31u);
    EXPECT_EQ(w.CompressMethod(), TCompressMethod::cmStore);
  }
  TArchiveComponents c;
  c.Select(TComponentKind::Zip);
  EXPECT_FALSE(FillFileSpecs(c, {{"/src/a.txt", false, false}}));
  EXPECT_TRUE(c.CurrentWriter->FileSpec.empty());
}

TEST(AddChoicesWrapper, FilesLevelMethodAndSolid) {
  const std::vector<TBrowserItem> items = {
      {"/src/a.txt", false, true}, {"/src/docs", true, true}, {"/src/b", false, false}};
  TArchiveComponents c;
  TAddOptions o;
  o.Compression = 2;
  o.Method = "PPMd";
  o.Solid = true;
  TArc& seven = c.Wrapper(TComponentKind::SevenZip);
  ASSERT_TRUE(ApplyWrapperChoices(seven, o, "/src", items));
  EXPECT_EQ(seven.FileList, QStringList({"/src/a.txt", "/src/docs/*"}));
  EXPECT_EQ(seven.WorkingFolder(), "/src/");
  EXPECT_EQ(seven.CompressionLevel(), 6);
  EXPECT_EQ(seven.CompressionMethod, 2);
  EXPECT_TRUE(seven.Solid);
  TArc& bga = c.Wrapper(TComponentKind::Bga);
  o.Method = "GZA";
  ASSERT_TRUE(ApplyWrapperChoices(bga, o, "/src/", items));
  EXPECT_EQ(bga.FileList, QStringList({"a.txt", "/src/docs/*"}));  // bare file names
  EXPECT_EQ(bga.CompressionMethod, 1);
  EXPECT_FALSE(bga.Solid);
  EXPECT_FALSE(ApplyWrapperChoices(bga, o, "/src", {{"/src/a", false, false}}));
}

// A scripted password box: each call takes the next answer (nothing = Cancel).
struct ScriptedAsk {
  explicit ScriptedAsk(std::vector<std::optional<QString>> a) : answers(std::move(a)) {}
  std::vector<std::optional<QString>> answers;
  std::vector<QString> captions;
  int mismatches = 0;
  TPasswordAsk Ask() {
    return [this](const QString& caption, const QString&) {
      captions.push_back(caption);
      return answers.at(captions.size() - 1);
    };
  }
  std::function<void()> Mismatch() {
    return [this] { ++mismatches; };
  }
};

TEST(AddChoicesPassword, NewPasswordAndEncryption) {
  struct Case {
    const char* what;
    int encryption;
    std::vector<std::optional<QString>> answers;
    bool confirmed;
    std::string password;
    TEncryptionMethod method;
    int mismatches;
  };
  const std::nullopt_t no = std::nullopt;
  const Case cases[] = {
      {"agree at once", 3, {"pw", "pw"}, true, "pw", TEncryptionMethod::emAes2_256, 0},
      {"empty entries are asked again",
       4,
       {"", "pw", "", "pw"},
       true,
       "pw",
       TEncryptionMethod::emZip_V2,
       0},
      {"a mismatch asks both again",
       1,
       {"pw", "px", "pw", "pw"},
       true,
       "pw",
       TEncryptionMethod::emAes2_128,
       1},
      {"cancel adds nothing", 2, {"pw", no}, false, "", TEncryptionMethod::emNone, 0},
      {"None asks nothing", 0, {}, true, "", TEncryptionMethod::emNone, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TArchiveComponents c;
    c.Select(TComponentKind::Zip);
    c.CurrentWriter->SetPassword("earlier");  // an earlier add's, not wanted with None
    if (k.encryption) c.CurrentWriter->SetPassword({});
    ScriptedAsk script(k.answers);
    EXPECT_EQ(ConfirmEncryption(c, k.encryption, script.Ask(), script.Mismatch()), k.confirmed);
    EXPECT_EQ(script.captions.size(), k.answers.size());
    EXPECT_EQ(c.CurrentWriter->Password(), k.password);
    if (k.confirmed) {
      EXPECT_EQ(c.CurrentWriter->EncryptionMethod, k.method);
    }
    EXPECT_EQ(script.mismatches, k.mismatches);
  }
  // The button procedure stores into the current wrapper rather than the writer.
  TArchiveComponents c;
  c.Select(TComponentKind::Zip);
  c.Select(TComponentKind::SevenZip);
  ScriptedAsk script({"s", "s"});
  EXPECT_EQ(AskNewPassword(c, script.Ask(), script.Mismatch()), TPasswordOutcome::Set);
  EXPECT_EQ(script.captions, (std::vector<QString>{Message(775), Message(785)}));
  EXPECT_EQ(c.CurrentWrapper->Password, "s");
  EXPECT_EQ(c.CurrentWriter->Password(), "");
  // A writer outside the ZIP family keeps the password its button gave it.
  c.Select(TComponentKind::BlakHole);
  c.CurrentWriter->SetPassword("bh");
  ScriptedAsk none({});
  EXPECT_TRUE(ConfirmEncryption(c, 0, none.Ask(), none.Mismatch()));
  EXPECT_EQ(c.CurrentWriter->Password(), "bh");
}

}  // namespace
}  // namespace vk::app
