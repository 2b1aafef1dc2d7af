// Thousands of random scripts of FUM calls, with sensible and hostile arguments, in a folder of a few files: after every call, no file was created, changed or removed except by a call that asked for it.
#include <random>

#include "sweep/scripts.h"

namespace kfio::testing::sweep {
namespace {

// What a method may do to a file, by the method table: Open creates the file it names when it is missing, the write
// methods write through the file they use when it is open for writing, Remove removes the file it names.
enum class Effect { kNone, kCreates, kWrites, kRemoves };

// Arguments drawn from sensible values and, now and then, hostile ones. A method's arguments are written as a
// shape, one letter an argument (see Arg).
class Generator {
 public:
  Generator(const ScriptTest& t, uint32_t seed) : test_(t), random_(seed) {}

  using Values = std::vector<std::string>;
  const std::string& Pick(const Values& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random_)];
  }
  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random_) < percent; }
  std::string Number(const Values& sensible, bool large = true) {
    if (Chance(85)) return Pick(sensible);
    return Pick(large ? Values{"-1", "-5", "", "abc", "1e10", "2147483648"} : Values{"-1", "-5", "", "abc"});
  }

  // n file name, h handle, m mode, p position, c count, C count of bytes to write or read into memory, v value,
  // t text, d dataset, w page, l string variable letter, r record template, b 0..2 (bin type, byte order, line
  // mode), f 0 or 1, k skip, W width, s list separator, y member name, a ListAll's argument, - nothing.
  // No position or count of gigabytes where the module would write or hold that much as asked (a count past a
  // dataset writes missing values; CRead fills its text with spaces first): every snapshot would read it all.
  std::string Arg(char kind) {
    switch (kind) {
      case 'n':
        if (Chance(8)) return Pick({"", test_.dir.string(), "\"" + test_.Path("q.bin") + "\""});
        return test_.Path(Pick({"a.bin", "b.txt", "c.csv", "e.bin", "sub/d.bin", "new.bin", "sub/new.txt",
                                "nodir/x.bin", "sp ace.bin", "c,omma", "sub", "a.bin/", std::string(300, 'n')}));
      case 'h':
        if (!handles.empty() && Chance(75)) return Pick(handles);
        return Pick({"-1", "0", "1", "99999", "100000", "12345", "x"});
      case 'm': return Number({"0", "1", "2", "3", "256", "257"});
      case 'p': return Number({"0", "1", "3", "10", "17", "4096"}, false);
      case 'c': return Number({"0", "1", "2", "3", "7", "100"});
      case 'C': return Number({"0", "1", "2", "3", "7", "100"}, false);
      case 'v': return Number({"0", "1", "258", "65535", "-2.5", "3.25e5"});
      case 't': return Pick({"\"abc\"", "\"\"", "\"a,b\"", "\"x y\"", "abc", ""});
      case 'd': return Pick({"D", "D", "NOPE", ""});
      case 'w': return Pick({"P", "M", "S", "NOPE", ""});
      case 'l': return Pick({"Z", "Y", "7", ""});
      case 'r': return Pick({"sh | f", "lo", "by 3 | d", "bogus", "0", ""});
      case 'b': return Number({"0", "1", "2"});
      case 'f': return Number({"0", "1"});
      case 'k': return Number({"0", "1", "4"});
      case 'W': return Number({"1", "2", "4", "8", "10", "3"});
      case 's': return Pick({";", "", "\",\""});
      case 'y': return Pick({"open", "read", "x", ""});
      case 'a': return Pick({"", "m"});
      default: return "";
    }
  }
  // A call's arguments as a script writes them, with a trailing hFile now and then when the method takes one.
  std::string Args(const std::string& shape, bool takesHandle) {
    std::string out;
    for (std::size_t i = 0; i < shape.size(); ++i) out += (i ? "," : "") + Arg(shape[i]);
    if (takesHandle && Chance(40)) out += (shape.empty() ? "" : ",") + Arg('h');
    return out;
  }

  Values handles;  // every handle an Open answered in this script

 private:
  const ScriptTest& test_;
  std::mt19937 random_;
};

// A method, or a setting ("=NAME" a number, "$NAME" a text): what it may do to a file, how often it comes, the
// shape of its arguments and whether an hFile may follow them.
struct Method { const char* name; Effect effect; int weight; const char* shape; bool takesHandle; };

// Every member of the method table, and the settings that steer them. Open comes often, so that the other calls
// find files to work on.
using enum Effect;
const Method kMethods[] = {
    {"OPEN", kCreates, 12, "nm", false}, {"OPEN", kCreates, 2, "", false}, {"CLOSE", kNone, 3, "", true},
    {"CLOSEALL", kNone, 1, "", false}, {"RESET", kNone, 1, "", false}, {"LISTSEP", kNone, 1, "s", false},
    {"EXISTS", kNone, 1, "n", false}, {"REMOVE", kRemoves, 3, "n", false}, {"SIZE", kNone, 1, "", true},
    {"SIZE", kNone, 1, "-n", false}, {"GETPOS", kNone, 1, "", true}, {"SETPOS", kNone, 3, "p", true},
    {"REWIND", kNone, 1, "", true}, {"TOEND", kNone, 1, "", true}, {"JUMP", kNone, 1, "p", true},
    {"JUMPCHUNK", kNone, 1, "pc", true}, {"SWITCHMODE", kNone, 2, "m", true}, {"READ", kNone, 1, "c", true},
    {"FREAD", kNone, 1, "", true}, {"DREAD", kNone, 1, "", true}, {"LDREAD", kNone, 1, "", true},
    {"WRITE", kWrites, 3, "vC", true}, {"FWRITE", kWrites, 1, "v", true}, {"DWRITE", kWrites, 1, "v", true},
    {"LDWRITE", kWrites, 1, "v", true}, {"AREAD", kNone, 1, "dccb", true}, {"AWRITE", kWrites, 2, "dCCb", true},
    {"READROWBIN", kNone, 1, "wcb", true}, {"READRECORD", kNone, 1, "wcr", true},
    {"WRITERECORD", kWrites, 2, "wCr", true}, {"READROW", kNone, 1, "wc", true}, {"LINEROW", kNone, 1, "w", true},
    {"TREAD", kNone, 1, "lc", true}, {"LREAD", kNone, 1, "l", true}, {"READTOKEN", kNone, 1, "lc", true},
    {"READARRAY", kNone, 1, "dcc", true}, {"ASCII", kNone, 1, "lw", true}, {"CREAD", kNone, 1, "lC", true},
    {"TWRITE", kWrites, 2, "t", true}, {"LWRITE", kWrites, 2, "t", true}, {"MATHEMATICA", kNone, 1, "w", true},
    {"SIGMADOS", kNone, 1, "w", true}, {"SIGMAWIN", kNone, 1, "w", true}, {"WAV", kNone, 1, "w", true},
    {"WKSBLOCK", kNone, 1, "wcccc", false}, {"SYNTAX", kNone, 1, "y", false}, {"ALTSPELL", kNone, 1, "y", false},
    {"LISTALL", kNone, 1, "a", false}, {"=NBYTES", kNone, 2, "W", false}, {"=BYTEORDER", kNone, 1, "b", false},
    {"=SIGNED", kNone, 1, "f", false}, {"=SKIP", kNone, 1, "k", false}, {"=NLINEMODE", kNone, 1, "b", false},
    {"=NEWACTIONS", kNone, 1, "f", false}, {"=MODE", kNone, 1, "m", false}, {"=HFILE", kNone, 1, "h", false},
    {"$FILENAME", kNone, 1, "n", false}};

const std::map<std::string, std::string> kFolder = {
    {"a.bin", Counting(20, 11)}, {"b.txt", "one two\n1,2,3\n4.5,6\n"}, {"c.csv", "1,2\n3,4\n"}, {"e.bin", ""},
    {"sub/d.bin", "{1, 2}"}};

class NothingLost : public ScriptTest {
 public:
  // The path below the folder that a name leads to, as snapshots name files.
  std::string Below(const std::string& name) const {
    return std::filesystem::path(name).lexically_normal().lexically_relative(dir).string();
  }

  // Compares the folder before and after one call; `created`, `written` and `removed` name the one file the call
  // may create (empty), write (never shorter) or remove.
  void ExpectOnly(const Snapshot& before, const Snapshot& after, const std::string& created, const std::string& written,
                  const std::string& removed, const std::string& where) {
    for (const auto& [name, was] : before) {
      const auto now = after.find(name);
      if (now == after.end()) {
        EXPECT_EQ(name, removed) << "removed by " << where;
      } else if (!(now->second == was)) {
        EXPECT_TRUE(name == written && now->second.bytes.size() >= was.bytes.size()) << name << " changed by " << where;
      }
    }
    for (const auto& [name, now] : after) {
      if (before.count(name)) continue;
      EXPECT_TRUE(name == created && now.bytes.empty()) << name << " created by " << where;
    }
  }
};

TEST_F(NothingLost, NoFileChangesButByACallThatAskedForIt) {
  std::vector<int> weights;
  for (const Method& m : kMethods) weights.push_back(m.weight);
  std::discrete_distribution<std::size_t> next(weights.begin(), weights.end());
  std::mt19937 lengths(7);
  constexpr int kRandomScripts = 2000;
  int calls = 0;
  for (int script = 0; script < kRandomScripts && !HasFailure(); ++script) {
    Generator g(*this, static_cast<uint32_t>(script));
    std::mt19937 order(static_cast<uint32_t>(script) + 100000);
    Lay(kFolder);
    refhost::RefHost h(&XODLL);
    Furnish(h);
    std::string log;
    Snapshot before = TakeSnapshot(dir);
    const int length = std::uniform_int_distribution<int>(4, 16)(lengths);
    for (int i = 0; i < length && !HasFailure(); ++i, ++calls) {
      const Method& m = kMethods[next(order)];
      const std::string args = g.Args(m.shape, m.takesHandle);
      log += std::string(m.name) + "(" + args + ")\n";
      const Outcome o = Call(h, m.name, args);
      if (std::string(m.name) == "OPEN" && o.status == 0)
        g.handles.push_back(std::to_string(static_cast<int>(o.result)));

      std::string fileName, written;
      h.GetString("FILENAME", fileName);
      const MyCFile* used = TheFum().hFile.currentEntry;
      if (m.effect == Effect::kWrites && used != nullptr && used->IsOpen() && used->openMode != 0)
        written = Below(used->GetFilePath());
      const Snapshot after = TakeSnapshot(dir);
      ExpectOnly(before, after, m.effect == Effect::kCreates ? Below(fileName) : "", written,
                 m.effect == Effect::kRemoves ? Below(args) : "", "script " + std::to_string(script) + ":\n" + log);
      before = after;
    }
    Call(h, "CLOSEALL", "");
  }
  RecordProperty("calls", calls);
}

}  // namespace
}  // namespace kfio::testing::sweep
