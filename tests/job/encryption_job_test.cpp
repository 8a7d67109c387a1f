#include "job/encryption_job.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "tests/job/fake_host.h"
#include "tests/support/test_files.h"

namespace qor::testing {
namespace {

namespace fs = std::filesystem;

const std::string kRefusal = "Error Message";
const std::string kNotice = "Output Filename";
const std::string kOpenInput = "Error: Could not open input file.";
const std::string kOpenOutput = "Error: Could not open output file.";
const std::string kRead = "Error: Could not read input file.";
const std::string kWrite = "Error: Could not write output file.";

class EncryptionJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input = dir.File("x");
    WriteBytes(input, SampleBytes(1000));
    host.fileEdit = input;
  }

  void RunJob(Progress progress = {}) { EncryptionJob(host, std::move(progress)).Run(); }

  // The folder's names, the input's included.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir;
  std::string input;
  FakeHost host;
};

// --- The three checks ------------------------------------------------------

struct Refusal {
  const char* name;
  bool fileChosen;
  const char* key;
  int frequency;
  int fibonacci;
  const char* text;
};

class RefusalTest : public EncryptionJobTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, ShowsOnlyTheFirstFailingCheckAndTouchesNothing) {
  const Refusal& r = GetParam();
  host.fileChosen = r.fileChosen;
  host.key = r.key;
  host.frequency = r.frequency;
  host.fibonacci = r.fibonacci;

  RunJob();

  EXPECT_EQ(host.boxes, (std::vector<Box>{{r.text, kRefusal, 0x30}}));
  EXPECT_EQ(host.events, (std::vector<std::string>{"box:" + kRefusal}));  // no edit read
  EXPECT_EQ(host.fileName, "(untouched)");
  EXPECT_EQ(host.key, r.key);
  EXPECT_FALSE(host.endStatus);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x"}));
}

const char* const kNoFile = "You must enter a file to encrypt.";
const char* const kNoKey =
    "You must enter a key.\n\n Minimum 1 character. \n\n Maximum 7 characters.";
const char* const kNoMethod = "You must choose an encryption type.";

INSTANTIATE_TEST_SUITE_P(
    Checks, RefusalTest,
    ::testing::Values(Refusal{"NoFile", false, "k", 0, 1, kNoFile},
                      Refusal{"NoFileKeyOrMethod", false, "", 0, 0, kNoFile},
                      Refusal{"NoFileNoMethod", false, "k", 0, 0, kNoFile},
                      Refusal{"NoKey", true, "", 1, 0, kNoKey},
                      Refusal{"NoKeyNoMethod", true, "", 0, 0, kNoKey},
                      Refusal{"NoMethod", true, "k", 0, 0, kNoMethod}),
    [](const auto& info) { return std::string(info.param.name); });

// --- A run that succeeds -----------------------------------------------------

TEST_F(EncryptionJobTest, FibonacciRunTellsTheNameAndWritesTheEngineOutput) {
  host.keyEdit = "otra";  // the key is re-read from its edit after the opens
  RunJob();

  EXPECT_EQ(host.events,
            (std::vector<std::string>{"read:1001", "box:" + kNotice, "read:1003"}));
  EXPECT_EQ(host.boxes, (std::vector<Box>{{input + ".qor", kNotice, 0x30}}));
  EXPECT_EQ(host.fileName, input);
  EXPECT_EQ(host.key, "otra");
  EXPECT_FALSE(host.endStatus);
  EXPECT_EQ(ReadBytes(input + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(input), "otra"));
}

TEST_F(EncryptionJobTest, FrequencyRunWritesOnlyThatMethodsOutput) {
  host.frequency = 1;
  host.fibonacci = 0;
  RunJob();

  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(ReadBytes(input + ".qor"),
            EngineOutput(Engine::kFrequency, ReadBytes(input), host.keyEdit));
}

TEST_F(EncryptionJobTest, OutputNameOnlyAppends) {
  const std::string name = dir.File("a.qor");
  WriteBytes(name, "Hola");
  host.fileEdit = name;
  RunJob();

  EXPECT_EQ(host.boxes.at(0).text, name + ".qor");
  EXPECT_TRUE(fs::exists(name + ".qor"));
}

TEST_F(EncryptionJobTest, OverwritesAnExistingOutputAndRepeatsItself) {
  WriteBytes(input + ".qor", std::string(5000, 'z'));
  RunJob();
  const std::string first = ReadBytes(input + ".qor");
  RunJob();

  EXPECT_EQ(first, EngineOutput(Engine::kFibonacci, ReadBytes(input), host.keyEdit));
  EXPECT_EQ(ReadBytes(input + ".qor"), first);
  EXPECT_EQ(host.boxes.size(), 2u);  // two notices, nothing else
}

TEST_F(EncryptionJobTest, EmptyInputStillRuns) {
  WriteBytes(input, "");
  RunJob();
  EXPECT_EQ(ReadBytes(input + ".qor"), EngineOutput(Engine::kFibonacci, "", host.keyEdit));
  EXPECT_EQ(host.boxes.size(), 1u);
}

// --- The key as Windows-1252 bytes ------------------------------------------

TEST_F(EncryptionJobTest, KeyLettersGiveTheirWindows1252Bytes) {
  // "Hola" by the frequency method codes 16, 87, 78, 54; with the key "ñ"
  // (0xF1) added, subtracted, added, subtracted.
  WriteBytes(input, "Hola");
  host.frequency = 1;
  host.fibonacci = 0;
  host.keyEdit = "ñ";
  RunJob();
  EXPECT_EQ(ReadBytes(input + ".qor"), std::string("\x01\x66\x3F\x45", 4));

  host.frequency = 0;
  host.fibonacci = 1;
  WriteBytes(input, SampleBytes(999));
  host.keyEdit = "ñÑá€";
  RunJob();
  EXPECT_EQ(ReadBytes(input + ".qor"),
            EngineOutput(Engine::kFibonacci, ReadBytes(input), "\xF1\xD1\xE1\x80"));
}

TEST_F(EncryptionJobTest, KeyCharacterWithoutAByteCountsAsQuestionMark) {
  host.keyEdit = "a中b";
  RunJob();
  EXPECT_EQ(ReadBytes(input + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(input), "a?b"));
}

TEST_F(EncryptionJobTest, KeyEditEmptiedBehindTheCheckedKeyRunsNothing) {
  host.keyEdit = "";
  RunJob();
  EXPECT_EQ(host.boxes.back(), (Box{kNoKey, kRefusal, 0x30}));
  EXPECT_FALSE(host.endStatus);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x"}));
}

// --- Files that cannot be opened --------------------------------------------

TEST_F(EncryptionJobTest, MissingInputTellsNoticeThenErrorAndEndsWithStatusOne) {
  const std::string missing = dir.File("missing");
  host.fileEdit = missing;
  RunJob();

  EXPECT_EQ(host.boxes, (std::vector<Box>{{missing + ".qor", kNotice, 0x30},
                                          {missing, kOpenInput, 0x30}}));
  EXPECT_EQ(host.events.back(), "end:1");
  EXPECT_EQ(Names(), (std::vector<std::string>{"x"}));
}

TEST_F(EncryptionJobTest, EmptyNameIsAnInputThatCannotBeOpened) {
  host.fileEdit = "";
  RunJob();
  EXPECT_EQ(host.boxes,
            (std::vector<Box>{{".qor", kNotice, 0x30}, {"", kOpenInput, 0x30}}));
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_FALSE(fs::exists(".qor"));
}

TEST_F(EncryptionJobTest, FolderNamedLikeTheOutputCannotBeOpened) {
  fs::create_directory(input + ".qor");
  RunJob();

  EXPECT_EQ(host.boxes.back(), (Box{input, kOpenOutput, 0x30}));
  EXPECT_EQ(host.events.back(), "end:1");
  EXPECT_TRUE(fs::is_directory(input + ".qor"));
}

TEST_F(EncryptionJobTest, ReadOnlyFolderCannotTakeTheOutput) {
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (PermissionsIgnored(dir.path())) GTEST_SKIP() << "permission bits do not stop this user";
  RunJob();

  EXPECT_EQ(host.boxes.back(), (Box{input, kOpenOutput, 0x30}));
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_FALSE(fs::exists(input + ".qor"));
}

TEST_F(EncryptionJobTest, OutputNameTooLongForTheFolderCannotBeOpened) {
  // Fails for every user, root included: the input's name fits, ".qor" more does not.
  const std::string name = dir.File(std::string(253, 'n'));
  WriteBytes(name, "Hola");
  host.fileEdit = name;
  RunJob();

  EXPECT_EQ(host.boxes, (std::vector<Box>{{name + ".qor", kNotice, 0x30},
                                          {name, kOpenOutput, 0x30}}));
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_EQ(ReadBytes(name), "Hola");
}

TEST_F(EncryptionJobTest, OutputThatIsTheInputIsRefusedAndTheInputKept) {
  const std::string before = ReadBytes(input);
  fs::create_symlink("x", input + ".qor");
  RunJob();
  EXPECT_EQ(host.boxes.back(), (Box{input, kOpenOutput, 0x30}));
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_EQ(ReadBytes(input), before);

  fs::remove(input + ".qor");
  fs::create_hard_link(input, input + ".qor");
  host.endStatus.reset();
  RunJob();
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_EQ(ReadBytes(input), before);
}

// --- Failures while the method runs -----------------------------------------

class WriteFailureTest : public EncryptionJobTest,
                         public ::testing::WithParamInterface<std::size_t> {};

// While alive, no write makes a file longer than `bytes` (EFBIG, as a full
// disk gives ENOSPC).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST_P(WriteFailureTest, FullDiskIsToldAndTheProcessGoesOn) {
  WriteBytes(input, SampleBytes(GetParam()));
  {
    FileSizeLimit full(0);
    RunJob();
  }
  EXPECT_EQ(host.boxes.back(), (Box{input + ".qor", kWrite, 0x30}));
  EXPECT_EQ(host.boxes.size(), 2u);
  EXPECT_FALSE(host.endStatus);
  EXPECT_EQ(Names(), std::vector<std::string>{"x"});  // no output, no temporary
}

TEST_F(EncryptionJobTest, PlantedLinkAtTheOutputIsNeitherFollowedNorReplaced) {
  const std::string target = dir.File("elsewhere");
  WriteBytes(target, "theirs");
  fs::create_symlink(target, input + ".qor");
  RunJob();
  EXPECT_EQ(host.boxes.back(), (Box{input, kOpenOutput, 0x30}));
  EXPECT_EQ(host.endStatus, 1);
  EXPECT_EQ(ReadBytes(target), "theirs");
  EXPECT_TRUE(fs::is_symlink(input + ".qor"));
}

// Small: only the close fails. Large: writes fail while the method runs.
INSTANTIATE_TEST_SUITE_P(Sizes, WriteFailureTest, ::testing::Values(10, 3 << 20));

TEST_F(EncryptionJobTest, FolderAsInputIsAReadFailure) {
  const std::string folder = dir.File("folder");
  fs::create_directory(folder);
  host.fileEdit = folder;
  RunJob();

  EXPECT_EQ(host.boxes.back(), (Box{folder, kRead, 0x30}));
  EXPECT_FALSE(host.endStatus);
  EXPECT_FALSE(fs::exists(folder + ".qor"));
}

// A file cut or added to while the method reads it: never a silently
// shortened .qor.
TEST_F(EncryptionJobTest, InputThatShrinksOrGrowsWhileReadIsAReadFailure) {
  const std::vector<std::pair<const char*, std::function<void(std::int64_t)>>> changes = {
      {"shrinks", [&](std::int64_t done) { fs::resize_file(input, static_cast<std::uintmax_t>(done)); }},
      {"grows", [&](std::int64_t) { std::ofstream(input, std::ios::binary | std::ios::app) << "more"; }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    WriteBytes(input, SampleBytes(8 << 20));
    host.boxes.clear();
    bool changed = false;
    RunJob([&](std::int64_t done, std::int64_t total) {
      if (!changed && done < total) {
        change(done);
        changed = true;
      }
      return true;
    });

    ASSERT_TRUE(changed) << "the method gave no progress before its end";
    EXPECT_EQ(host.boxes.back(), (Box{input, kRead, 0x30}));
    EXPECT_FALSE(host.endStatus);
    EXPECT_FALSE(fs::exists(input + ".qor"));
  }
}

// Inputs that are no regular file are refused before anything is created,
// as inputs that cannot be opened; one whose content runs past its size
// (a /proc file says 0) is a read failure. None may hang or leave a .qor.
TEST_F(EncryptionJobTest, InputsThatAreNoRegularFileOrNotTheirSizeAreRefused) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    std::string caption;
    std::optional<int> endStatus;
  };
  const std::vector<Case> cases = {
      {"a FIFO with no writer", [](const std::string& n) { ASSERT_EQ(mkfifo(n.c_str(), 0600), 0); }, kOpenInput, 1},
      {"a character device", [](const std::string& n) { fs::create_symlink("/dev/zero", n); }, kOpenInput, 1},
      {"a /proc file", [](const std::string& n) { fs::create_symlink("/proc/version", n); }, kRead, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = dir.File("in");
    c.make(name);
    host.fileEdit = name;
    host.boxes.clear();
    host.endStatus.reset();
    RunJob();
    EXPECT_EQ(host.boxes.back(), (Box{name, c.caption, 0x30}));
    EXPECT_EQ(host.endStatus, c.endStatus);
    EXPECT_FALSE(fs::exists(name + ".qor"));
    fs::remove(name);
  }
}

}  // namespace
}  // namespace qor::testing
