// TWrite and LWrite: the bytes on disk for every kind of argument and nLineMode, the position after, the string-variable fetch, and the failures in both error modes.
#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

// Every case writes into this file at offset 1.
const std::string kBefore = "#####";

class WriteTest : public TextTest {
 public:
  // Opens the file in `mode` at offset 1 with the variables set; counts the
  // fetches of a variable (4114), which the host refuses when `refuse`.
  void PrepareWrite(int lineMode, int mode = 2, bool refuse = false) {
    OpenFile(MakeFile("w.txt", kBefore), mode);
    Invoke("SETPOS", "1");
    host.SetNumber("NLINEMODE", lineMode);
    for (const auto& [letter, text] : kVariables) host.SetStringVar(letter, text);
    fetches = 0;
    host.serviceProbe = [this, refuse](uint32_t code) {
      if (code != op::kGetStringVar) return;
      ++fetches;
      if (refuse) throw std::runtime_error("refused");
    };
  }
  // The file as it should be with `written` laid over it from offset 1.
  static std::string After(const std::string& written) { return std::string(kBefore).replace(1, written.size(), written); }

  const std::pair<char, std::string> kVariables[5] = {
      {'A', "alpha"}, {'Z', "zz top"}, {'B', ""}, {'Q', "\"q\""}, {'L', std::string(300, 'v')}};
  int fetches = 0;
};

TEST_F(WriteTest, WritesTheTextInBothModes) {
  // args: as the script writes them; refuse: the host refuses 4114.
  const struct {
    const char* method; std::string args; int lineMode; std::string written; int fetches; bool refuse = false;
  } cases[] = {
      {"TWRITE", "\"abc\"", 0, "abc", 0}, {"LWRITE", "\"abc\"", 0, "abc\r\n", 0}, {"TWRITE", "\"ab\"cd", 0, "ab", 0},
      {"TWRITE", "\"ab", 0, "ab", 0}, {"TWRITE", " \"a, b\" ", 0, "a, b", 0},
      {"TWRITE", "\"a\\n\"", 0, "a\\n", 0},  // nothing is unescaped
      {"TWRITE", "123", 0, "123", 0}, {"TWRITE", "\"\"", 0, "", 0}, {"LWRITE", "\"\"", 0, "\r\n", 0},
      {"TWRITE", std::string(300, '1'), 0, std::string(259, '1'), 0},
      {"TWRITE", "\"" + std::string(300, 'y'), 0, std::string(258, 'y'), 0},
      // a letter names a string variable
      {"TWRITE", "A", 0, "alpha", 1}, {"TWRITE", "zebra", 0, "zz top", 1},
      {"TWRITE", "Q", 0, "\"q\"", 1},  // quotes in a variable stay
      {"TWRITE", "b", 0, "", 1}, {"TWRITE", "L", 0, std::string(259, 'v'), 1},
      {"LWRITE", "L", 1, std::string(259, 'v') + "\n", 1},
      // a refused fetch leaves the argument as written
      {"TWRITE", "A", 0, "A", 1, true}, {"LWRITE", "a$", 2, "a$\r", 1, true},
  };
  for (const auto& c : cases) {
    const Expect written = {0, 0, 0, static_cast<double>(c.written.size())};
    BothModes(std::string(c.method) + "(" + c.args.substr(0, 20) + ") mode " + std::to_string(c.lineMode), c.method,
              [&] { PrepareWrite(c.lineMode, 2, c.refuse); return c.args; }, written, written, [&] {
                EXPECT_EQ(fetches, c.fetches);
                EXPECT_EQ(Position(), 1 + static_cast<int>(c.written.size()));
                EXPECT_EQ(Contents("w.txt"), After(c.written));
              });
  }
}

TEST_F(WriteTest, WriteFailuresInBothModes) {
  // written: what reached the file; setting: "full": the write fails with ENOSPC; "half": half the bytes go.
  const struct {
    const char *label, *method, *args; Expect byDefault, byNew; std::string written; const char* setting = "";
    int lineMode = 0; int openMode = 2;
  } cases[] = {
      {"no string", "TWRITE", "", {1024, 0, 2, none}, {10, 0, 10, none}, ""},
      {"nLineMode 3", "LWRITE", "\"abc\"", {3, 0, 2, miss}, {12, 0, 12, miss}, "", "", 3},
      {"disk full", "TWRITE", "\"abc\"", {6, 0, 0, 3}, {31, 0, 0, 3}, "", "full"},
      {"half written", "LWRITE", "\"abcd\"", {6, 0, 0, 6}, {31, 0, 0, 6}, "abc", "half"},
      {"file opened for reading", "LWRITE", "A", {6, 0, 0, 7}, {31, 0, 0, 7}, "", "", 0, 0},
      {"hFile not open", "TWRITE", "\"abc\",12345", {1156, 9, 2, none}, {14, 0, 270, none}, ""},
  };
  for (const auto& c : cases) {
    const std::string setting = c.setting;
    BothModes(c.label, c.method, [&] {
      PrepareWrite(c.lineMode, c.openMode);
      if (setting == "full") fault::Fail(fault::Call::writeAt, ENOSPC);
      if (setting == "half")
        sys::g_calls.writeAt = [](int fd, const void* b, std::size_t n, uint64_t off, std::size_t& done) {
          return sys::kOsCalls.writeAt(fd, b, n / 2, off, done);
        };
      return std::string(c.args);
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(Position(), 1 + static_cast<int>(c.written.size()));
      EXPECT_EQ(Contents("w.txt"), After(c.written));
    });
  }
}

TEST_F(WriteTest, WritesToTheFileGivenAndGoesOnFromThere) {
  const int first = OpenFile(MakeFile("a.txt", ""), 1);
  const int second = OpenFile(MakeFile("b.txt", ""), 1);
  EXPECT_EQ(Invoke("TWRITE", "\"x\"," + std::to_string(first)).result, 1);
  EXPECT_EQ(Invoke("LWRITE", "\"y\"").result, 3);  // the handle given became current
  EXPECT_EQ(Invoke("LWRITE", "\"z\"," + std::to_string(second)).result, 3);
  Call("CLOSEALL");
  EXPECT_EQ(Contents("a.txt"), "xy\r\n");
  EXPECT_EQ(Contents("b.txt"), "z\r\n");
}

}  // namespace
}  // namespace kfio::testing
