// Loading shared objects: handles, symbols, and each module's own file name.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

const std::string samplePath = PLATFORM_SAMPLE_MODULE;

std::string programPath() {
  char buffer[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

class Modules : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryA(samplePath.c_str());
    ASSERT_NE(module, nullptr) << samplePath;
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }
  HMODULE module = nullptr;
};

TEST_F(Modules, LoadedModuleGivesItsSymbolsAndItsOwnPath) {
  auto answer = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "sampleAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(module, "noSuchSymbol"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));

  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  EXPECT_EQ(std::string(path), samplePath);
  EXPECT_EQ(length, samplePath.size());
  EXPECT_EQ(GetModuleHandleA("SAMPLE_MODULE.SO"), module) << "found by file name, any case";
}

TEST_F(Modules, RelativeLoadsStillNameTheAbsolutePath) {
  const std::string directory = samplePath.substr(0, samplePath.rfind('/'));
  char previous[PATH_MAX];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(directory.c_str()), 0);
  HMODULE again = LoadLibraryA("./sample_module.so");
  ASSERT_EQ(chdir(previous), 0);
  ASSERT_EQ(again, module) << "the same object, loaded twice";
  char path[MAX_PATH];
  GetModuleFileNameA(again, path, MAX_PATH);
  EXPECT_EQ(std::string(path), samplePath);
  FreeLibrary(again);
}

// As Win32 since Vista: size-1 characters and a NUL, returning size, with
// ERROR_INSUFFICIENT_BUFFER; nothing beyond the buffer is written.
TEST_F(Modules, FileNameIsCutToTheBufferAndTerminated) {
  const DWORD full = static_cast<DWORD>(samplePath.size());
  for (DWORD size : {full + 1, full, full - 1, DWORD{1}}) {
    std::vector<char> buffer(size + 4, '#');
    SetLastError(0);
    const DWORD result = GetModuleFileNameA(module, buffer.data(), size);
    if (size > full) {
      EXPECT_EQ(result, full);
      EXPECT_EQ(GetLastError(), 0u);
    } else {
      EXPECT_EQ(result, size) << "size " << size;
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    }
    const size_t copied = std::min<size_t>(full, size - 1);
    EXPECT_EQ(std::string(buffer.data()), samplePath.substr(0, copied));
    for (size_t i = size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#');
  }
}

TEST(ModuleErrors, TheProgramAndBadFilesAndStaleHandles) {
  char path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  EXPECT_EQ(std::string(path), programPath());
  ASSERT_NE(GetModuleHandleA(nullptr), nullptr);
  GetModuleFileNameA(GetModuleHandleA(nullptr), path, MAX_PATH);
  EXPECT_EQ(std::string(path), programPath());

  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("/nonexistent/vis_none.so"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

  velmo_test::TempFolder folder;
  const std::string notALibrary = folder.path("not_a_library.so");
  ASSERT_TRUE(velmo_test::writeFile(notALibrary, "plain text\n"));
  EXPECT_EQ(LoadLibraryA(notALibrary.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

  HMODULE module = LoadLibraryA(samplePath.c_str());
  ASSERT_NE(module, nullptr);
  ASSERT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleFileNameA(module, path, MAX_PATH), 0u) << "a freed handle is not followed";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(module, "sampleAnswer"), nullptr);
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x4321), path, MAX_PATH), 0u);
}

}  // namespace
