// TAR header blocks and the walk over them: numeric fields, the bytes the writer makes, what
// GNU tar and bsdtar write in every dialect, headers made here as they read them, renamed
// headers, and damaged input, which must end the walk as Bad or End.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string_view>
#include <tuple>

#include "engine/streams/FileStream32.h"
#include "engine/streams/MemoryStream32.h"
#include "formats/tar/TarHeader.h"
#include "formats/tar/TarWalker.h"
#include "tests/support/PeerTools.h"

namespace qel::test {
namespace {

using namespace tar;
using namespace std::string_view_literals;
namespace fs = std::filesystem;

struct TWalk {
  std::vector<TTarMember> members;
  std::vector<std::string> data;
  TTarStep end = TTarStep::Bad;
  bool truncated = false;
};

TWalk Walk(ISeekableSource& in, int64_t size) {
  TTarWalker walker(in, size);
  TWalk w;
  TTarMember m;
  while ((w.end = walker.Next(m)) == TTarStep::Member) {
    char piece[700];
    std::string data;
    while (const int64_t n = walker.ReadData(piece, sizeof piece)) data.append(piece, size_t(n));
    w.members.push_back(m);
    w.data.push_back(data);
    w.truncated = w.truncated || walker.Truncated();
  }
  return w;
}

TWalk Walk(const Bytes& bytes, bool sized) {
  TMemoryStream32 in(bytes);
  return Walk(in, sized ? int64_t(bytes.size()) : -1);
}

// The archive at `path` walked as a file and as a stream of unknown size, which must agree.
TWalk WalkFile(const std::string& path) {
  const auto file = TFileStream32::Open(path, fmOpenRead);
  const TWalk w = Walk(*file, file->Size()), streamed = Walk(ReadFileBytes(path), false);
  EXPECT_EQ(w.end, TTarStep::End);
  EXPECT_EQ(streamed.data, w.data);
  return w;
}

void Pad(Bytes& b) { b.resize(b.size() + size_t((kBlock - int64_t(b.size()) % kBlock) % kBlock)); }

// Each member's headers, data and padding, then the two zero blocks that end an archive.
Bytes Archive(const std::vector<std::pair<Bytes, std::string>>& members) {
  Bytes out;
  for (const auto& [headers, data] : members) {
    out.insert(out.end(), headers.begin(), headers.end());
    out.insert(out.end(), data.begin(), data.end());
    Pad(out);
  }
  out.resize(out.size() + 2 * kBlock);
  return out;
}

void Put(uint8_t* block, size_t at, std::string_view text) {
  std::memcpy(block + at, text.data(), text.size());
}

void Rechecksum(uint8_t* block) {
  std::memset(block + 148, ' ', 8);
  unsigned sum = 0;
  for (int i = 0; i < kBlock; ++i) sum += block[i];
  std::snprintf(reinterpret_cast<char*>(block + 148), 8, "%06o", sum);
}

// An old GNU block: `numbers` fills offsets 100 to 156 (mode to type flag), '|' standing for
// NUL.
Bytes GnuBlock(std::string_view name, std::string numbers, std::string_view owner) {
  Bytes b(kBlock);
  Put(b.data(), 0, name);
  std::replace(numbers.begin(), numbers.end(), '|', '\0');
  Put(b.data(), 100, numbers);
  Put(b.data(), 257, "ustar  \0"sv);
  Put(b.data(), 265, owner.substr(0, owner.find('/')));
  Put(b.data(), 297, owner.substr(owner.find('/') + 1));
  return b;
}

TEST(TarHeader, ReadNumberTakesOctalAndBase256) {
  const struct {
    std::string_view field;
    std::optional<int64_t> value;
  } cases[] = {
      {"0000644\0"sv, 0644},
      {"\0 644 \0\0"sv, 0644},
      {"777777777777"sv, 0777777777777},  // every byte a digit
      {"12 34\0\0\0"sv, 012},
      {"\0\0\0\0\0\0\0\0"sv, 0},
      {"00008\0\0\0"sv, std::nullopt},
      {"777777777777777777777"sv, INT64_MAX},
      {"1000000000000000000000"sv, std::nullopt},
      {"\x80\0\0\0\0\0\0\x02\x40\0\0\0"sv, int64_t(9) << 30},
      {"\x80\0\0\0\x80\0\0\0\0\0\0\0"sv, std::nullopt},
      {"\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFE"sv, -2},
      {"\xFF\xFF\xFF\xFF\x80\0\0\0\0\0\0\0"sv, INT64_MIN},
      {"\xFF\xFF\xFF\xFF\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"sv, std::nullopt},
      {"\x81\0\0\0\0\0\0\0"sv, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.field)));
    EXPECT_EQ(ReadNumber(reinterpret_cast<const uint8_t*>(c.field.data()), c.field.size()),
              c.value);
  }
}

TEST(TarHeader, MemberHeadersWriteTheOldGnuLayout) {
  EXPECT_EQ(
      MemberHeaders({"dir/file.txt", false, 1234, 1700000000, 0644, 1000, 100, "u", "g"}),
      GnuBlock("dir/file.txt", "0100644|0001750|0000144|00000002322|14524770400|010567| 0", "u/g"));
  // A folder with a name past 100 bytes, its mode left to the default.
  const std::string name = std::string(119, 'x') + "/";
  Bytes expected = GnuBlock(
      "././@LongLink", "0000000|0000000|0000000|00000000171|00000000000|011564| L", "root/root");
  expected.insert(expected.end(), name.begin(), name.end());
  Pad(expected);
  const Bytes own =
      GnuBlock(name.substr(0, 100), "0040755|0000002|0000002|00000000000|00000000001|037066| 5",
               "root/root");
  expected.insert(expected.end(), own.begin(), own.end());
  const Bytes made = MemberHeaders({name.substr(0, 119), true, 0, 1});
  EXPECT_EQ(made, expected);
  // Renamed to the name it has, the member is written as it was.
  EXPECT_EQ(RenamedHeaders(Walk(Archive({{made, ""}}), true).members.at(0), name), made);

  // Past 8 GiB the size goes to base-256, a time before 1970 likewise.
  const Bytes big = MemberHeaders({"big", false, int64_t(9) << 30, -1});
  ASSERT_EQ(big.size(), size_t(kBlock));
  EXPECT_EQ(big[124], 0x80);
  EXPECT_EQ(ReadNumber(&big[124], 12), int64_t(9) << 30);
  EXPECT_EQ(ReadNumber(&big[136], 12), -1);
  const TWalk w = Walk(big, false);
  ASSERT_EQ(w.members.size(), 1u);
  EXPECT_EQ(std::tie(w.members[0].Size, w.members[0].MTime), std::tuple(int64_t(9) << 30, -1));
  EXPECT_EQ(w.end, TTarStep::Bad);  // none of its data is there
}

// An archive of one 1000-byte member with `field` put at `at` in its header (checksum made
// good).
Bytes Poked(std::string_view field, size_t at = 124) {
  Bytes a = Archive({{MemberHeaders({"a", false, 1000}), std::string(1000, 'a')}});
  Put(a.data(), at, field);
  Rechecksum(a.data());
  return a;
}

// A block of `type` with `data` (its size field saying `size`, when given), before a plain
// member.
Bytes Before(char type, const std::string& data, int64_t size = -1) {
  Bytes h = MemberHeaders({"././@LongLink", false, size < 0 ? int64_t(data.size()) : size});
  h[156] = uint8_t(type);
  Rechecksum(h.data());
  return Archive({{h, data}, {MemberHeaders({"b", false, 3}), "bbb"}});
}

Bytes Cut(Bytes b, size_t size, uint8_t poke = 0) {
  b.resize(size);
  if (poke) b[148] = poke;
  return b;
}

TEST(TarWalk, DamagedInputEndsTheWalk) {
  const Bytes good = Poked("00000001750");
  std::mt19937 gen(3);
  Bytes garbage(kBlock);
  for (uint8_t& c : garbage) c = uint8_t(gen());
  Rechecksum(garbage.data());
  const struct {
    const char* what;
    Bytes bytes;
    size_t membersSized, membersUnsized;  // as the walk finds them with and without the size
    TTarStep end;
  } cases[] = {
      {"whole", good, 1, 1, TTarStep::End},
      {"end at a block boundary", Cut(good, 3 * kBlock), 1, 1, TTarStep::End},
      {"cut inside the header", Cut(good, 100), 0, 0, TTarStep::Bad},
      {"cut inside the data", Cut(good, 800), 0, 1, TTarStep::Bad},
      {"cut inside the padding", Cut(good, 1520), 1, 1, TTarStep::Bad},
      {"bad checksum", Cut(good, good.size(), '7'), 0, 0, TTarStep::Bad},
      {"garbage with its checksum", garbage, 0, 0, TTarStep::Bad},
      {"negative size", Poked("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xF0"), 0, 0,
       TTarStep::Bad},
      {"huge size", Poked("\x80\0\0\0\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF"sv), 0, 0, TTarStep::Bad},
      {"size past the end", Poked("00000010000"), 0, 1, TTarStep::Bad},
      {"bad mode", Poked("0x00644", 100), 0, 0, TTarStep::Bad},
      {"hard link with a size", Before('1', "", 1000), 2, 2, TTarStep::End},
      {"long name at the cap", Before('L', std::string(kMaxLongName, 'n')), 1, 1, TTarStep::End},
      {"long name over the cap", Before('L', std::string(kMaxLongName + 1, 'n')), 0, 0,
       TTarStep::Bad},
      {"cut inside a long name", Cut(Before('L', std::string(700, 'n')), 1000), 0, 0,
       TTarStep::Bad},
      {"long link, then the end", Cut(Before('K', "k"), 2 * kBlock), 0, 0, TTarStep::Bad},
      {"pax record", Before('x', "13 path=long\n"), 1, 1, TTarStep::End},
      {"pax record too short", Before('x', "12 path=long\n"), 0, 0, TTarStep::Bad},
      {"pax record too long", Before('x', "14 path=long\n"), 0, 0, TTarStep::Bad},
      {"pax record without =", Before('x', "12 pathlong\n"), 0, 0, TTarStep::Bad},
      {"pax size not a number", Before('x', "11 size=1x\n"), 0, 0, TTarStep::Bad},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool sized : {true, false}) {
      const TWalk w = Walk(c.bytes, sized);
      EXPECT_EQ(w.members.size(), sized ? c.membersSized : c.membersUnsized) << sized;
      EXPECT_EQ(w.end, c.end) << sized;
      // Only a walk that does not know the size meets a member whose data the input lacks.
      EXPECT_EQ(w.truncated, !sized && c.membersUnsized > c.membersSized) << sized;
    }
  }
  EXPECT_EQ(Walk(Before('x', "13 path=long\n"), true).members.at(0).Name, "long");
}

// A path of exactly `n` bytes below "t/", in folders of at most 99 bytes, so that ustar can
// split those of up to 256 bytes.
std::string PathOf(size_t n) {
  std::string path = "t/n" + std::to_string(n) + "/";
  const size_t file = std::min<size_t>(100, n - path.size());
  for (size_t dirs = n - path.size() - file; dirs > 0;) {
    const size_t part = std::min<size_t>(100, dirs);
    path += std::string(part - 1, 'd') + "/";
    dirs -= part;
  }
  return path + std::string(file, 'f');
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class TarPeers : public ::testing::Test {
 protected:
  TestFolder dir_;
};

TEST_F(TarPeers, WalkerReadsEveryDialectPeersWrite) {
  VK_REQUIRE_TOOL("tar");
  VK_REQUIRE_TOOL("bsdtar");
  Tree tree = {{"t/empty/", ""},
               {"t/zero", ""},
               {"t/s\xC3\xBC\xC3\x9F.txt", "non-ASCII\n"},
               {"t/data.bin", std::string(1500, 'd')}};
  for (const size_t n : {100, 101, 255, 256, 600}) tree[PathOf(n)] = std::string(n, 'x');
  MakeTree(dir_.Path(), tree);
  fs::create_symlink("zero", dir_ / "t/link");
  fs::create_hard_link(dir_ / "t/data.bin", dir_ / "t/hard");
  // What each member must say, from the files themselves; of the two names of the hard-linked
  // file, either may be archived as the link.
  std::map<std::string, std::tuple<TTarKind, int64_t, uint32_t>> expected;
  for (const std::string& name : PathsBelow(dir_.Path())) {
    struct stat st {};
    ASSERT_EQ(::lstat((dir_ / name).c_str(), &st), 0);
    const TTarKind kind = S_ISDIR(st.st_mode)   ? TTarKind::Folder
                          : S_ISLNK(st.st_mode) ? TTarKind::SymLink
                                                : TTarKind::File;
    expected[name] = {kind, st.st_mtime, uint32_t(st.st_mode & 07777)};
  }
  for (const std::string tool_format : {"tar gnu", "tar oldgnu", "tar ustar", "tar posix", "tar v7",
                                        "bsdtar pax", "bsdtar gnutar"}) {
    SCOPED_TRACE(tool_format);
    const std::string tool = tool_format.substr(0, tool_format.find(' '));
    const std::string archive = tool_format.substr(tool.size() + 1) + "-" + tool + ".tar";
    const ToolRun made =
        RunTool({tool, "--format=" + tool_format.substr(tool.size() + 1), "-cf", archive, "t"},
                dir_.Path());
    // A name the dialect cannot hold is left out, with what lies below it, as tar reports.
    std::set<std::string> wanted;
    for (const auto& [name, e] : expected) wanted.insert(name);
    for (const std::string& line : Lines(made.err))
      if (line.find("not dumped") != std::string::npos) {
        std::string gone = line.substr(5, line.find(": ", 5) - 5);
        if (gone.back() == '/') gone.pop_back();
        std::erase_if(wanted, [&](const std::string& name) {
          return name == gone || name.starts_with(gone + "/");
        });
      }
    ASSERT_TRUE(made.Ok() || wanted.size() < expected.size()) << made.err;

    std::set<std::string> walked;
    const TWalk w = WalkFile(dir_ / archive);
    for (size_t i = 0; i < w.members.size(); ++i) {
      const TTarMember& m = w.members[i];
      const std::string name = m.Name.substr(0, m.Name.find_last_not_of('/') + 1);
      SCOPED_TRACE(name);
      walked.insert(name);
      ASSERT_TRUE(expected.count(name));
      const auto [kind, mtime, mode] = expected[name];
      EXPECT_EQ(std::tie(m.MTime, m.Mode), std::tie(mtime, mode));
      if (m.Kind == TTarKind::HardLink) {
        EXPECT_EQ(kind, TTarKind::File);
        EXPECT_EQ(ReadFileText(dir_ / m.LinkName), ReadFileText(dir_ / name));
        EXPECT_EQ(m.Size, 0);
        continue;
      }
      EXPECT_EQ(m.Kind, kind);
      EXPECT_EQ(m.LinkName, m.Kind == TTarKind::SymLink ? "zero" : "");
      EXPECT_EQ(w.data[i], m.Kind == TTarKind::File ? ReadFileText(dir_ / name) : "");
    }
    EXPECT_EQ(walked, wanted);
  }
}

TEST_F(TarPeers, PeersReadTheHeadersMadeHere) {
  VK_REQUIRE_TOOL("tar");
  VK_REQUIRE_TOOL("bsdtar");
  const std::string longFolder = "w/" + std::string(120, 'f') + "/";
  const std::pair<TTarFields, const char*> members[] = {
      {{"w/", true, 0, 1600000000}, "drwxr-xr-x"},
      {{"w/a.txt", false, 6, 1600000000, 0600}, "-rw-------"},
      {{"w/zero", false, 0, 1600000000}, "-rw-r--r--"},
      {{"w/" + std::string(148, 'l'), false, 513, 1600000000, 0755}, "-rwxr-xr-x"},
      {{longFolder, true, 0, 1600000000, 0700}, "drwx------"},
      {{longFolder + "in.txt", false, 5, 1600000000}, "-rw-r--r--"},
  };
  std::vector<std::pair<Bytes, std::string>> parts;
  Tree tree;
  std::set<std::string> listing;
  for (const auto& [f, perms] : members) {
    parts.push_back({MemberHeaders(f), std::string(size_t(f.Size), 'c')});
    tree[f.Name] = parts.back().second;
    listing.insert(std::string(perms) + " " + std::to_string(f.Size) + " " + f.Name);
  }
  WriteFileBytes(dir_ / "made.tar", Archive(parts));
  for (const auto& [tool, sizeAt] : {std::pair<std::string, size_t>{"tar", 2}, {"bsdtar", 4}}) {
    SCOPED_TRACE(tool);
    const ToolRun listed = RunTool({tool, "-tvf", "made.tar"}, dir_.Path());
    ASSERT_TRUE(listed.Ok()) << listed.err;
    std::set<std::string> seen;
    for (const std::string& line : Lines(listed.out)) {
      std::istringstream words(line);
      const std::vector<std::string> w{std::istream_iterator<std::string>(words), {}};
      ASSERT_GT(w.size(), sizeAt + 1) << line;
      seen.insert(w[0] + " " + w[sizeAt] + " " + w.back());
    }
    EXPECT_EQ(seen, listing);
    const std::string out = dir_ / ("out-" + tool);
    fs::create_directories(out);
    EXPECT_TRUE(RunToolOk({tool, "-xf", dir_ / "made.tar", "-C", out}));
    EXPECT_EQ(ReadTree(out), tree);
    struct stat st {};
    EXPECT_EQ(::stat((out + "/w/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1600000000);
  }
}

TEST_F(TarPeers, RenamedMembersStayWhole) {
  VK_REQUIRE_TOOL("tar");
  // Pax records carry the long name and link target; renamed, they move to GNU blocks.
  const std::string longName = "r/" + std::string(90, 'a') + "/" + std::string(110, 'b');
  MakeTree(dir_ / "in", {{"r/", ""}, {longName, std::string(700, 'p')}});
  fs::create_symlink(std::string(150, 't'), dir_ / "in/r/ln");
  ASSERT_TRUE(RunToolOk({"tar", "--format=posix", "-cf", dir_ / "in.tar", "r"}, dir_ / "in"));
  TWalk walked = WalkFile(dir_ / "in.tar");
  ASSERT_EQ(walked.members.size(), 4u);
  std::vector<std::string> original;
  for (const TTarMember& m : walked.members) original.push_back(m.Name);
  for (const bool shortNames : {true, false}) {
    std::vector<std::pair<Bytes, std::string>> parts;
    for (size_t i = 0; i < original.size(); ++i) {
      const TTarMember& m = walked.members[i];
      const bool rename = shortNames && m.Kind != TTarKind::Folder;
      parts.push_back(
          {RenamedHeaders(m, rename ? "r/" + std::to_string(i) : original[i]), walked.data[i]});
    }
    WriteFileBytes(dir_ / "renamed.tar", Archive(parts));
    const TWalk again = WalkFile(dir_ / "renamed.tar");
    ASSERT_EQ(again.members.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i) {
      const TTarMember &a = again.members[i], &b = walked.members[i];
      EXPECT_EQ(a.Name == original[i], !shortNames || a.Kind == TTarKind::Folder) << a.Name;
      EXPECT_EQ(std::tie(a.LinkName, a.Kind, a.Size, a.MTime, a.Mode),
                std::tie(b.LinkName, b.Kind, b.Size, b.MTime, b.Mode));
    }
    EXPECT_EQ(again.data, walked.data);
    walked = again;
  }
  const std::string out = dir_ / "out";
  fs::create_directories(out);
  ASSERT_TRUE(RunToolOk({"tar", "-xf", dir_ / "renamed.tar", "-C", out}));
  EXPECT_EQ(ReadTree(out), ReadTree(dir_ / "in"));
}

}  // namespace
}  // namespace qel::test
