// Writing, reading and comparing the files and folders tests make and check.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qel::test {

using Bytes = std::vector<uint8_t>;

// Both make the file's folders first. A failure is a test failure.
void WriteFileBytes(const std::string& path, std::span<const uint8_t> bytes);
void WriteFileText(const std::string& path, std::string_view text);
Bytes ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);
// Writes the files in `parts`, one after the other, to `path`.
void ConcatenateFiles(const std::string& path, const std::vector<std::string>& parts);
void WriteZeroFile(const std::string& path, size_t size);

// A folder's content: each file's path relative to it with its bytes; each folder's with a
// trailing "/" and no content.
using Tree = std::map<std::string, std::string>;
void MakeTree(const std::string& root, const Tree& tree);
// What is below `root`, links not followed (a link shows as its target's path after "->").
// Compare two folders with EXPECT_EQ(ReadTree(a), ReadTree(b)).
Tree ReadTree(const std::string& root);
// Every path below `root`, relative to it, links not followed.
std::set<std::string> PathsBelow(const std::string& root);

}  // namespace qel::test
