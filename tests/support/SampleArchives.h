// The public sample archives in the shared test data folder and what its manifest says they
// hold, for tests that list, extract and test every sample of a format with vorelkit-cli.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace qel::test {

struct TSampleMember {
  std::string name;  // as stored, "/" between folders
  std::string size;  // bytes, or "dir", "symlink", "-"
  std::string crc;   // lower-case hex, "-" when none
};

struct TSample {
  std::string file;      // relative to the test data folder; "" when the folder is absent
  std::string password;  // from the manifest's `password "..."` note
  std::vector<TSampleMember> members;
};

// The folder beside the project's source folder; it may be absent.
std::string SampleFolder();

// The samples whose manifest rows name `format`, in manifest order. One sample with an empty
// file when the folder is absent, so that the test over it reports itself skipped.
std::vector<TSample> SamplesOf(const std::string& format);

// Test output names a sample by its file.
inline void PrintTo(const TSample& sample, std::ostream* out) { *out << sample.file; }

// A name for a parameterised test: the sample's file name with every other character than
// letters and digits made "_".
std::string SampleTestName(const TSample& sample);

}  // namespace qel::test
