#include "codecs/lzh/LzhCode.h"

#include <algorithm>
#include <queue>
#include <vector>

namespace qel {

int BuildCodeLengths(std::span<const uint32_t> freq, int maxBits, std::span<uint8_t> lengths) {
  std::fill(lengths.begin(), lengths.end(), uint8_t(0));
  // The occurring symbols, rarest first: they get the longest codes.
  std::vector<uint16_t> leaves;
  for (size_t s = 0; s < freq.size(); ++s)
    if (freq[s]) leaves.push_back(uint16_t(s));
  const int n = int(leaves.size());
  if (n < 2) return n;
  std::stable_sort(leaves.begin(), leaves.end(),
                   [&](uint16_t a, uint16_t b) { return freq[a] < freq[b]; });

  // Huffman's merging over a heap of (weight, node); nodes 0..n-1 are the leaves in the
  // order above, later ones the merged pairs. Only the depth of each leaf is kept.
  struct TNode {
    uint64_t Weight;
    int Index;
    bool operator>(const TNode& o) const {
      return Weight != o.Weight ? Weight > o.Weight : Index > o.Index;
    }
  };
  std::priority_queue<TNode, std::vector<TNode>, std::greater<>> heap;
  std::vector<int> parent(size_t(2 * n - 1), -1);
  for (int i = 0; i < n; ++i) heap.push({freq[leaves[size_t(i)]], i});
  int next = n;
  while (heap.size() > 1) {
    const TNode a = heap.top();
    heap.pop();
    const TNode b = heap.top();
    heap.pop();
    parent[size_t(a.Index)] = parent[size_t(b.Index)] = next;
    heap.push({a.Weight + b.Weight, next++});
  }
  std::vector<int> depth(size_t(2 * n - 1), 0);
  for (int i = 2 * n - 3; i >= 0; --i) depth[size_t(i)] = depth[size_t(parent[size_t(i)])] + 1;

  // Leaves per length, the deep ones pulled up to maxBits; the code space that overflows
  // is given back by lengthening the deepest codes that are still short enough.
  std::vector<int> count(size_t(maxBits) + 1, 0);
  for (int i = 0; i < n; ++i) ++count[size_t(std::min(depth[size_t(i)], maxBits))];
  uint64_t space = 0;
  for (int len = 1; len <= maxBits; ++len) space += uint64_t(count[size_t(len)]) << (maxBits - len);
  while (space > (uint64_t(1) << maxBits)) {
    // Moving one leaf from `len` to `len + 1` beside a leaf taken from maxBits frees one
    // unit of the deepest level.
    --count[size_t(maxBits)];
    for (int len = maxBits - 1; len > 0; --len) {
      if (count[size_t(len)]) {
        --count[size_t(len)];
        count[size_t(len) + 1] += 2;
        break;
      }
    }
    --space;
  }
  // Lengths in order: the rarest symbols take the longest.
  int at = 0;
  for (int len = maxBits; len > 0; --len)
    for (int k = 0; k < count[size_t(len)]; ++k) lengths[leaves[size_t(at++)]] = uint8_t(len);
  return n;
}

void CanonicalCodes(std::span<const uint8_t> lengths, std::span<uint16_t> codes) {
  uint32_t count[17] = {}, next[18] = {};
  for (uint8_t len : lengths) ++count[len];
  count[0] = 0;
  for (int len = 1; len <= 16; ++len) next[len + 1] = (next[len] + count[len]) << 1;
  for (size_t s = 0; s < lengths.size(); ++s)
    if (lengths[s]) codes[s] = uint16_t(next[lengths[s]]++);
}

}  // namespace qel
