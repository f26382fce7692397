// Every fault the fuzzers found, as the plain case that shows it. Run in the
// sanitize preset, where the faults were reports of their own.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include <windows.h>

#include "temp_folder.h"

namespace hardening {
namespace {

class ProfileFindings : public ::testing::Test {
 protected:
  void write(const char* text) { ASSERT_TRUE(velmo_test::writeFile(path_, text)); }
  velmo_test::TempFolder folder_{"velmo-findings"};
  const std::string path_ = folder_.path("plugin.ini");
};

// Listing a section's keys into a one-byte buffer wrote the terminator in
// front of the buffer. The buffer here is a heap block of exactly one byte.
TEST_F(ProfileFindings, KeyListIntoOneByteBufferStaysInside) {
  write("[Section]\nAlpha=1\nBeta=2\n");
  std::unique_ptr<char[]> one(new char[1]);
  one[0] = 'x';
  const DWORD n = GetPrivateProfileStringA("Section", nullptr, "", one.get(), 1, path_.c_str());
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(one[0], '\0');
}

// A missing key with no default (a null pointer) handed memcpy a null source.
TEST_F(ProfileFindings, MissingKeyWithoutDefaultReadsAsEmpty) {
  write("[Section]\nEmpty=\n");
  char text[8] = "xxxxxxx";
  EXPECT_EQ(GetPrivateProfileStringA("Section", "Empty", "fallback", text, sizeof text, path_.c_str()), 0u);
  EXPECT_STREQ(text, "");
  std::memset(text, 'x', sizeof text - 1);
  EXPECT_EQ(GetPrivateProfileStringA("Section", "Missing", nullptr, text, sizeof text, path_.c_str()), 0u);
  EXPECT_STREQ(text, "");
}

// A NUL after blanks in a name ("[Other\t\0]") kept the blanks: a write
// stored them, the file read back with them trimmed, and the key written
// before the name's first section of that name was no longer found.
TEST_F(ProfileFindings, NamesCutAtANulReadBackAfterAWrite) {
  using namespace std::string_literals;
  ASSERT_TRUE(velmo_test::writeFile(path_, "[Other\t\0]\nKey \0x=1\nNamed=2 \0y\n"s));
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "New", "3", path_.c_str()));
  char text[8];
  for (const auto& [key, value] : {std::pair{"New", "3"}, {"Key", "1"}, {"Named", "2"}}) {
    GetPrivateProfileStringA("Other", key, "missing", text, sizeof text, path_.c_str());
    EXPECT_STREQ(text, value) << key;
  }
}

}  // namespace
}  // namespace hardening
