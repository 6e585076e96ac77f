// The entry list behind the views: sorting, the folder tree, totals, search and drag out.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "app/core/ColumnFormat.h"
#include "app/core/DragPlan.h"
#include "app/core/EntrySearch.h"
#include "app/core/EntrySort.h"
#include "app/core/EntryTotals.h"
#include "app/core/FolderTree.h"
#include "app/core/Translation.h"
#include "tests/support/PeerTools.h"

namespace vk::app {
namespace {

constexpr int64_t kGiB = int64_t(1) << 30;

TShellItem File(const QString& name, const QString& folder = {}, int64_t size = 0,
                int64_t packed = 0) {
  TShellItem item;
  item.Name = name;
  item.Folder = folder;
  item.Size = size;
  item.Packed = packed;
  return item;
}

TShellItem Folder(const QString& path) {
  TShellItem item;
  item.Kind = TShellItem::kFolder;
  item.Name = path.chopped(1).section('/', -1);
  item.Attributes = "D";
  item.Folder = path;
  return item;
}

template <typename T>
std::vector<T*> Pointers(std::vector<TShellItem>& items) {
  std::vector<T*> rows;
  for (TShellItem& item : items) rows.push_back(&item);
  return rows;
}

QStringList Names(const std::vector<TShellItem*>& rows) {
  QStringList names;
  for (const TShellItem* row : rows) names += row->Name;
  return names;
}

TEST(ArchiveViewModel, SortsEveryColumnBothWays) {
  std::vector<TShellItem> items = {File("beta", "b/", 5 * kGiB, 4 * kGiB),
                                   File("Alpha", "", 100, 50),
                                   File("gamma", "A/", 3 * kGiB, 3 * kGiB), Folder("c/")};
  const char* types[] = {"Text", "image", "Archive", ""};
  const double dates[] = {2, 3, 1, 0};
  const int ratios[] = {10, 50, 5, 0};
  const uint32_t crcs[] = {0x0A, 0xFF000000, 0x0B, 0};
  const char* attributes[] = {"a", "R", "H", "D"};
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].FileType = types[i];
    items[i].Modified = dates[i];
    items[i].Ratio = ratios[i];
    items[i].CRC = crcs[i];
    items[i].Attributes = attributes[i];
  }
  const QStringList ascending[kColumnCount] = {
      {"Alpha", "beta", "c", "gamma"}, {"c", "gamma", "Alpha", "beta"},
      {"c", "gamma", "beta", "Alpha"}, {"c", "Alpha", "gamma", "beta"},
      {"c", "gamma", "beta", "Alpha"}, {"c", "Alpha", "gamma", "beta"},
      {"c", "beta", "gamma", "Alpha"}, {"beta", "c", "gamma", "Alpha"},
      {"Alpha", "gamma", "beta", "c"}};
  for (int column = 0; column < kColumnCount; ++column) {
    SCOPED_TRACE(column);
    QStringList expected = ascending[column];
    std::vector<TShellItem*> rows = Pointers<TShellItem>(items);
    SortShellItems(rows, column, true, false);
    EXPECT_EQ(Names(rows), expected);
    SortShellItems(rows, column, false, false);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(Names(rows), expected);
  }
}

TEST(ArchiveViewModel, SortKeepsEqualKeysAndPutsFoldersFirst) {
  std::vector<TShellItem> items = {File("b", "", 7), File("a", "", 7), Folder("y/"),
                                   File("c", "", 1), Folder("x/")};
  std::vector<TShellItem*> rows = Pointers<TShellItem>(items);
  SortShellItems(rows, colSize, false, false);
  EXPECT_EQ(Names(rows), QStringList({"b", "a", "c", "y", "x"}));
  SortShellItems(rows, colName, false, true);
  EXPECT_EQ(Names(rows), QStringList({"y", "x", "c", "b", "a"}));
}

TEST(ArchiveViewModel, TreeMergesFoldersIgnoringCase) {
  TFolderTree tree;
  tree.Reset("/tmp/set.zip");
  for (const char* path : {"src/lib/core/", "x/", "SRC/Lib/", "Src/doc/", "src/lib/core/", ""})
    tree.AddFolderPath(path);
  tree.Sort();
  const TFolderNode& root = tree.Root();
  EXPECT_EQ(root.Data.Caption, "set.zip");
  ASSERT_EQ(root.Children.size(), 2u);
  const TFolderNode& src = *root.Children[0];
  EXPECT_EQ(src.Data.Caption, "src");
  ASSERT_EQ(src.Children.size(), 2u);
  EXPECT_EQ(src.Children[0]->Data.Path, "src/doc/");
  EXPECT_EQ(src.Children[1]->Data.Path, "src/lib/");
  EXPECT_EQ(src.Children[1]->Parent, &src);
  EXPECT_EQ(src.Children[1]->Children[0]->Data.Path, "src/lib/core/");

  EXPECT_EQ(tree.FindByPath(""), &root);
  EXPECT_EQ(tree.FindByPath("/TMP/set.zip"), &root);
  EXPECT_EQ(tree.FindByPath("SRC/LIB/CORE/"), src.Children[1]->Children[0].get());
  EXPECT_EQ(tree.FindByPath("nope/"), nullptr);

  std::vector<TShellItem> rows = FolderRows(root);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_TRUE(rows[1].IsFolder());
  EXPECT_EQ(rows[1].Name, "x");
  EXPECT_EQ(rows[1].Folder, "x/");

  // The node an entry's folder lands in: any spelling, empty components skipped.
  EXPECT_EQ(tree.AddFolderPath(""), &root);
  EXPECT_EQ(tree.AddFolderPath("/"), &root);
  EXPECT_EQ(tree.AddFolderPath("Src/Lib/"), src.Children[1].get());
  EXPECT_EQ(tree.AddFolderPath("/src//LIB/"), src.Children[1].get());
  TShellItem file = File("a", "/src//LIB/");
  file.Node = tree.AddFolderPath(file.Folder);
  EXPECT_TRUE(InFolder(file, *src.Children[1]));
  EXPECT_FALSE(InFolder(file, root));
}

TEST(ArchiveViewModel, AHostileDeepFolderIsCutShort) {
  TFolderTree tree;
  tree.Reset("deep.zip");
  QString deep;
  for (int i = 0; i < 30000; ++i) deep += QStringLiteral("a/");
  const TFolderNode* node = tree.AddFolderPath(deep);
  int depth = 0;
  for (const TFolderNode* n = node; n->Parent; n = n->Parent) ++depth;
  EXPECT_EQ(depth, 256);
  EXPECT_EQ(tree.AddFolderPath(deep), node);
}

TEST(ArchiveViewModel, Totals) {
  std::vector<TShellItem> items = {File("a", "", 3 * kGiB, kGiB), Folder("d/"),
                                   File("b", "", 5 * kGiB, 2 * kGiB)};
  TTotals selected = SelectionTotals(Pointers<const TShellItem>(items));
  EXPECT_EQ(selected.Count, 3);
  EXPECT_EQ(selected.Packed, 3 * kGiB);
  EXPECT_EQ(selected.Unpacked, 8 * kGiB);
  EXPECT_EQ(selected.Ratio, 62);  // 62.5 rounds to even

  std::vector<TShellItem*> rows = Pointers<TShellItem>(items);
  // A library that reports no totals gets the row sums.
  EXPECT_EQ(ListingTotals(rows, 0, 0).Unpacked, 8 * kGiB);
  struct {
    int64_t packed, unpacked;
    int ratio;
  } ratios[] = {{1, 200, 100}, {3, 200, 98}, {1, 8, 88}, {100, 100, 0}, {150, 100, 0}, {5, 0, 0}};
  for (const auto& r : ratios) {
    TTotals totals = ListingTotals(rows, r.packed, r.unpacked);
    EXPECT_EQ(totals.Count, 3);
    EXPECT_EQ(totals.Packed, r.packed);
    EXPECT_EQ(totals.Ratio, r.ratio) << r.packed << "/" << r.unpacked;
  }

  const QStringList panels = TotalsPanels(selected, "ZIP");
  ASSERT_EQ(panels.size(), 5);
  EXPECT_EQ(panels[0], Message(490) + " ZIP");
  EXPECT_EQ(panels[1], Message(500) + " 3");
  EXPECT_EQ(panels[3], Message(520) + " 8,589,934,592");
  EXPECT_EQ(panels[4], Message(530) + " 62%");
  EXPECT_EQ(TotalsPanels(TTotals{}, "ZIP")[0], "");
}

TEST(ArchiveViewModel, IncrementalSearchWrapsAndStops) {
  std::vector<TShellItem> items = {File("apple"), File("Banana"), File("apricot"), File("C")};
  items[3].Encrypted = true;
  std::vector<TShellItem*> rows = Pointers<TShellItem>(items);
  struct {
    const char* typed;
    int start;
    bool wrap;
    int found;
  } cases[] = {{"AP", 1, true, 2},  {"ap", 3, true, 0},  {"ap", 3, false, -1}, {"b", 2, true, 1},
               {"zz", 0, true, -1}, {"c+", 0, false, 3}, {"c++", 0, true, -1}, {"a", 9, true, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(FindEntry(rows, c.typed, c.start, c.wrap), c.found) << c.typed << " " << c.start;
}

TEST(ArchiveViewModel, DragPlanNamesWhatExtractionWrites) {
  std::vector<TShellItem> items = {
      File("a.txt", "docs/"), File("C++"),  File("s.doc", "docs/"), Folder("docs/sub/"), File(".."),
      Folder("../evil/"),     File("a\nb"), File("a.txt", "other/")};
  items[2].Encrypted = true;
  const std::vector<const TShellItem*> selected = Pointers<const TShellItem>(items);
  const TDragPlan plan = PlanDrag(selected, "/t/");
  // "..": no file; "../evil/" lands in evil; control characters go; the second a.txt would
  // overwrite the first.
  EXPECT_EQ(plan.Placeholders,
            QStringList({"/t/a.txt", "/t/C++", "/t/s.doc", "/t/docs/sub", "/t/evil", "/t/ab"}));
  EXPECT_EQ(plan.FileMasks, QStringList({"docs/a.txt", "C++", "docs/s.doc", "a\nb"}));
  EXPECT_EQ(plan.FolderMasks, QStringList({"docs/sub/*", "../evil/*"}));
}

TEST(ArchiveViewModel, DragPlaceholderParents) {
  qel::test::TestFolder scratch;
  const QString temp = QString::fromStdString(scratch.Path()) + "/";
  const QStringList placeholders = {temp + "a/b/sub", temp + "keep/file", temp + "top"};
  ASSERT_TRUE(MakePlaceholderParents(placeholders));
  EXPECT_TRUE(QDir(temp + "a/b").exists());
  QFile other(temp + "keep/other");
  ASSERT_TRUE(other.open(QIODevice::WriteOnly));
  other.close();
  RemoveEmptyPlaceholderParents(placeholders, temp);
  EXPECT_FALSE(QDir(temp + "a").exists());
  EXPECT_TRUE(QFile::exists(temp + "keep/other"));
  EXPECT_TRUE(QDir(temp).exists());
}

}  // namespace
}  // namespace vk::app
