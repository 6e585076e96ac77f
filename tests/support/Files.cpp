#include "tests/support/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qel::test {

namespace fs = std::filesystem;

void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes) {
  std::error_code ec;
  if (fs::path parent = fs::path(path).parent_path(); !parent.empty())
    fs::create_directories(parent, ec);
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  EXPECT_TRUE(f.good()) << "cannot write " << path;
}

void WriteFileText(const std::string& path, std::string_view text) {
  WriteFileBytes(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  EXPECT_TRUE(f.good()) << "cannot read " << path;
  // In large pieces: a byte-wise iterator takes seconds for large files under the sanitizers.
  Bytes bytes;
  char piece[1 << 16];
  while (f.read(piece, sizeof piece) || f.gcount() > 0)
    bytes.insert(bytes.end(), piece, piece + f.gcount());
  return bytes;
}

std::string ReadFileText(const std::string& path) {
  const Bytes bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void ConcatenateFiles(const std::string& path, const std::vector<std::string>& parts) {
  Bytes all;
  for (const std::string& part : parts) {
    Bytes b = ReadFileBytes(part);
    all.insert(all.end(), b.begin(), b.end());
  }
  WriteFileBytes(path, all);
}

void WriteZeroFile(const std::string& path, size_t size) { WriteFileBytes(path, Bytes(size, 0)); }

void MakeTree(const std::string& root, const Tree& tree) {
  for (const auto& [name, content] : tree) {
    if (name.ends_with('/')) {
      std::error_code ec;
      fs::create_directories(fs::path(root) / name, ec);
      EXPECT_FALSE(ec) << "cannot make " << root << "/" << name;
    } else {
      WriteFileText(root + "/" + name, content);
    }
  }
}

Tree ReadTree(const std::string& root) {
  Tree tree;
  for (const std::string& name : PathsBelow(root)) {
    const fs::path path = fs::path(root) / name;
    std::error_code ec;
    if (fs::is_symlink(path, ec))
      tree[name] = "-> " + fs::read_symlink(path, ec).string();
    else if (fs::is_directory(path, ec))
      tree[name + "/"];
    else
      tree[name] = ReadFileText(path.string());
  }
  return tree;
}

std::set<std::string> PathsBelow(const std::string& root) {
  std::set<std::string> paths;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
       it.increment(ec))
    paths.insert(it->path().lexically_relative(root).string());
  return paths;
}

}  // namespace qel::test
