// Scripts of FUM calls run from a fresh scratch folder and a fresh host, and what a run leaves: a line per call, the host's values, the files.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "fum/fum_fixture.h"
#include "import/sigma_files.h"

namespace kfio::testing::sweep {

// One call of a script: a method and its arguments, or a setting assigned (see ScriptTest::Call). In `args`, {NAME}
// stands for the path of NAME in the scratch folder and {hN} for the handle the N-th Open answered.
struct Step { std::string method, args; };
struct Script { const char* name; std::vector<Step> steps; };
// A script's name stands for it in test names.
inline void PrintTo(const Script& script, std::ostream* out) { *out << script.name; }

struct Called { Step step; Outcome outcome; };

// A WAV file of eight 16-bit mono samples at 8 Hz.
inline std::string Wav() {
  using sigma::Int;
  std::string samples;
  for (int v : {0, 1000, -1000, 32767, -32768, 5, 6, 7}) samples += Int(static_cast<uint16_t>(v), 2);
  return "RIFF" + Int(36 + 16, 4) + "WAVEfmt " + Int(16, 4) + Int(1, 2) + Int(1, 2) + Int(8, 4) + Int(16, 4) +
         Int(2, 2) + Int(16, 2) + "data" + Int(samples.size(), 4) + samples;
}

inline const std::map<std::string, std::string>& ScriptFiles() {
  static const std::map<std::string, std::string> files = {
      {"in.bin", Counting(40, 7, 3)}, {"keep.bin", "0123456789abcdef"}, {"nums.txt", "1,2\n3,4\n5,6\n"},
      {"in.txt", "alpha beta gamma\n1,2,3\n4.5,6,7\n8,9\n10,11,12\n13\nlast line\n"},
      {"list.m", "{{1, 2}, {3, 4.5}}"}, {"tone.wav", Wav()},
      {"sheet.dos", sigma::DosFile{false, false, 0, {{0, {1, 2, 3}}, {1, {4.5}}}}.Bytes()},
      {"sheet.jnb",
       sigma::WinFile{sigma::BaseFrom::kMarkerAt16, 0, 1, {{0, {{1}, {2}}}, {1, {{3}}}}, {{0, "T"}}}.Bytes()}};
  return files;
}

// Scripts that between them call every file method, each from the files ScriptFiles() lays.
inline const Script kScripts[] = {
    {"BinaryReads",
     {{"OPEN", "{in.bin},0"}, {"=NBYTES", "2"}, {"READ", ""}, {"SETPOS", "5"}, {"READ", "4"}, {"FREAD", ""},
      {"GETPOS", ""}, {"JUMP", "-3"}, {"JUMPCHUNK", "1"}, {"DREAD", ""}, {"LDREAD", ""}, {"TOEND", ""},
      {"REWIND", "{h1}"}, {"AREAD", "D,1,6,0"}, {"READROWBIN", "P,2,0"}, {"READRECORD", "P,2,sh | lo"},
      {"SIZE", "{h1}"}, {"CLOSE", ""}}},
    {"BinaryWrites",
     {{"OPEN", "{keep.bin},2"}, {"=NBYTES", "4"}, {"WRITE", "258"}, {"FWRITE", "1.5"}, {"DWRITE", "-2.25"},
      {"=NBYTES", "2"}, {"AWRITE", "D,1,3,0"}, {"WRITERECORD", "P,2,sh | f"}, {"SETPOS", "2"}, {"WRITE", "7,1"},
      {"SWITCHMODE", "0"}, {"REWIND", ""}, {"READ", ""}, {"CLOSE", ""}, {"OPEN", "{new.bin},1"}, {"WRITE", "9"},
      {"CLOSEALL", ""}}},
    {"Text",
     {{"OPEN", "{in.txt},0"}, {"=NLINEMODE", "1"}, {"LREAD", "Z"}, {"TREAD", "Y,1"}, {"READTOKEN", "X,2"},
      {"CREAD", "W,3"}, {"READROW", "P,3"}, {"LINEROW", "P"}, {"REWIND", ""}, {"ASCII", "V"}, {"REWIND", ""},
      {"READARRAY", "D,1,4"}, {"OPEN", "{out.txt},1"}, {"TWRITE", "\"abc\""}, {"LWRITE", "\"line\""},
      {"CLOSEALL", ""}}},
    {"Imports",
     {{"OPEN", "{list.m},0"}, {"MATHEMATICA", "M"}, {"OPEN", "{tone.wav},0"}, {"WAV", "T"}, {"OPEN", "{nums.txt},0"},
      {"WKSBLOCK", "R,1,2,1,3"}, {"OPEN", "{sheet.jnb},0"}, {"SIGMAWIN", "S"}, {"OPEN", "{sheet.dos},0"},
      {"SIGMADOS", "Q"}, {"CLOSEALL", ""}}},
    {"Files",
     {{"EXISTS", "{in.bin}"}, {"OPEN", "{in.bin},0"}, {"SIZE", ",{keep.bin}"}, {"OPEN", "{in.bin},0"}, {"SIZE", ""},
      {"REMOVE", "{in.bin}"}, {"CLOSE", ""}, {"CLOSE", "{h1}"}, {"REMOVE", "{keep.bin}"}, {"EXISTS", "{keep.bin}"},
      {"OPEN", "{gone/x},0"}, {"CLOSEALL", ""}}},
};

// A file's bytes and the time it was last written: a write of the same bytes is a change too.
struct FileState { std::string bytes; int64_t mtimeNs; bool operator==(const FileState&) const = default; };
// Every regular file under the folder, by its path below it.
using Snapshot = std::map<std::string, FileState>;

inline Snapshot TakeSnapshot(const std::filesystem::path& dir) {
  Snapshot shot;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    struct stat st {};
    if (!entry.is_regular_file() || ::stat(entry.path().c_str(), &st) != 0) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    shot[entry.path().lexically_relative(dir).string()] = {{std::istreambuf_iterator<char>(in), {}},
                                                           st.st_mtim.tv_sec * 1000000000ll + st.st_mtim.tv_nsec};
  }
  return shot;
}

inline int OpenDescriptors() {
  using std::filesystem::directory_iterator;
  return static_cast<int>(std::distance(directory_iterator("/proc/self/fd"), directory_iterator()));
}

// Every value the host holds: pages column by column, free datasets, string variables.
inline std::string HostValues(const refhost::RefHost& host) {
  std::string out;
  auto values = [&out](const refhost::HostDataset& d) {
    for (int32_t i = 0; i < d.Size(); ++i) out += (i ? "," : "") + d.Text(i);
    out += "\n";
  };
  for (const refhost::HostPage* page : host.Pages())
    for (int c = 1; c <= page->ColumnCount(); ++c) {
      out += page->Name() + "_" + page->ColumnName(c) + "(" + page->ColumnTitle(c) + "): ";
      values(*page->Column(c));
    }
  for (const refhost::HostDataset* d : host.Datasets()) {
    out += d->Name() + ": ";
    values(*d);
  }
  for (char v = 'A'; v <= 'Z'; ++v)
    if (!host.StringVar(v).empty()) out += std::string(1, v) + "$ = " + host.StringVar(v) + "\n";
  return out;
}

// The files every run starts from, and the host's pages and datasets.
class ScriptTest : public FumTest {
 public:
  // Puts the folder back to exactly `files`.
  void Lay(const std::map<std::string, std::string>& files) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) std::filesystem::remove_all(entry.path());
    for (const auto& [name, bytes] : files) {
      std::filesystem::create_directories(std::filesystem::path(Path(name)).parent_path());
      MakeFile(name, bytes);
    }
  }

  // Pages P (two columns of two rows), M, T, R, S and Q, and dataset D holding 1..6; no file open, settings reset.
  static void Furnish(refhost::RefHost& h) {
    Call(h, "CLOSEALL", "");
    Call(h, "RESET", "");
    refhost::HostPage* p = h.NewPage("P", 2);
    const double cells[2][2] = {{1, 300}, {-2, 4.5}};
    for (int c = 0; c < 2; ++c)
      for (int r = 0; r < 2; ++r) p->Column(c + 1)->SetValue(r, cells[c][r]);
    p->SetRowCount(2);
    for (const char* name : {"M", "T", "R", "S", "Q"}) h.NewPage(name, name[0] == 'R' ? 2 : 1);
    refhost::HostDataset* d = h.NewDataset("D");
    for (int i = 0; i < 6; ++i) d->SetValue(i, i + 1);
    d->Resize(6);
  }

  std::string Expand(const std::string& args, const std::vector<int>& handles) const {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::size_t close = args[i] == '{' ? args.find('}', i) : std::string::npos;
      if (close == std::string::npos) {
        out += args[i];
        continue;
      }
      const std::string name = args.substr(i + 1, close - i - 1);
      const bool handle = name.size() > 1 && name[0] == 'h' && std::isdigit(static_cast<unsigned char>(name[1]));
      out += handle ? std::to_string(handles.at(std::stoul(name.substr(1)) - 1)) : Path(name);
      i = close;
    }
    return out;
  }

  // One call, as a script makes it; a throw out of a method is a defect, counted as a status of -2. A method
  // written "=NAME" or "$NAME" assigns the number or the text in `args` to the setting NAME.
  static Outcome Call(refhost::RefHost& h, const std::string& method, const std::string& args) {
    try {
      if (method[0] != '=' && method[0] != '$') return InvokeThrough(h, method.c_str(), args);
      const uint32_t s = method[0] == '$' ? h.SetString(method.substr(1), args)
                                          : h.SetNumber(method.substr(1), std::strtod(args.c_str(), nullptr));
      return {s == 1 ? 0 : 2, 0, TheFum().error.Int(), TheFum().sysErr.Int()};
    } catch (const std::exception& e) {
      ADD_FAILURE() << method << "(" << args << ") threw: " << e.what();
    } catch (...) {
      ADD_FAILURE() << method << "(" << args << ") threw";
    }
    return {-2, 0, 0, 0};
  }

  // Runs the script in the folder as `files` has it, in one error mode, with a host of its own; `arm` runs just
  // before the first step. The module is left with no file open.
  struct Run {
    std::vector<Called> calls;
    std::vector<fault::Call> log;  // the system calls the steps made
    std::string host;              // HostValues after the last step
    std::vector<std::string> printed;
    Snapshot files;
    int descriptorsLeft;  // after CLOSEALL, beyond those open before the run
  };
  Run RunScript(const Script& script, const std::map<std::string, std::string>& files, bool newMode,
                const std::function<void()>& arm = {}) {
    Lay(files);
    const int before = OpenDescriptors();
    refhost::RefHost h(&XODLL);
    Furnish(h);
    h.SetNumber("NEWACTIONS", newMode ? 1 : 0);
    fault::Record();
    if (arm) arm();
    Run run;
    std::vector<int> handles;
    for (const Step& step : script.steps) {
      const Outcome o = Call(h, step.method, Expand(step.args, handles));
      if (step.method == "OPEN") handles.push_back(static_cast<int>(o.result));
      run.calls.push_back({step, o});
    }
    run.log = fault::Calls();
    run.printed = h.output;
    fault::Clear();
    Call(h, "CLOSEALL", "");
    run.descriptorsLeft = OpenDescriptors() - before;
    run.host = HostValues(h);
    run.files = TakeSnapshot(dir);
    return run;
  }

  // A run as text, a line per call, for messages that show where two runs part.
  static std::string Transcript(const Run& run) {
    std::string out;
    for (const auto& [step, o] : run.calls)
      out += step.method + "(" + step.args + ") -> " + std::to_string(o.status) + " " +
             refhost::RefHost::FormatNumber(o.result) + " Error " + std::to_string(o.error) + " SysErr " +
             std::to_string(o.sysErr) + "\n";
    return out;
  }
  // The files' bytes: what two runs must agree on.
  static std::map<std::string, std::string> Digest(const Snapshot& shot) {
    std::map<std::string, std::string> out;
    for (const auto& [name, s] : shot) out[name] = s.bytes;
    return out;
  }
};

}  // namespace kfio::testing::sweep
