// Wav: hand-built WAV files through XODLL: what lands in which column, the bound on the sample count, every refusal and every failing nested call in both error modes, and the settings and the current file afterwards.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

std::string Le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

std::string Int16s(const std::vector<int>& values) {
  std::string s;
  for (int v : values) s += Le(static_cast<uint32_t>(v), 2);
  return s;
}

// A WAV file, field by field; the data size is the samples' length unless given.
struct WavFile {
  std::string samples;
  uint16_t channels = 1;
  uint16_t bits = 16;
  uint32_t rate = 4;
  uint16_t tag = 1;
  uint32_t fmtSize = 16;
  std::string chunk = "data";
  int64_t dataSize = -1;
  std::string riff = "RIFF", wave = "WAVE", fmt = "fmt ";

  std::string Bytes() const {
    const uint32_t align = channels * (bits / 8);
    std::string s = riff + Le(0, 4) + wave + fmt + Le(fmtSize, 4) + Le(tag, 2) + Le(channels, 2) + Le(rate, 4) +
                    Le(rate * align, 4) + Le(align, 2) + Le(bits, 2) +
                    std::string(fmtSize > 16 ? fmtSize - 16 : 0, '\0');
    s += chunk + (chunk == "fact" ? Le(4, 4) + Le(0, 4) + "data" : "");
    return s + Le(dataSize < 0 ? samples.size() : static_cast<uint32_t>(dataSize), 4) + samples;
  }
};

class WavTest : public FumTest {
 public:
  // A page of one column, named afresh: the host keeps its pages between cases.
  std::string NewPage() {
    page = "W" + std::to_string(++pages);
    host.NewPage(page);
    return page;
  }
  // Every column of the page as "NAME:v,v,...", joined by "|"; a column of
  // more than 8 values as its first three and its size.
  std::string Columns() const {
    const refhost::HostPage* page = host.Page(this->page);
    std::string out;
    for (int c = 1; c <= page->ColumnCount(); ++c) {
      out += (c > 1 ? "|" : "") + page->ColumnName(c) + ":";
      const int32_t size = page->Column(c)->Size();
      for (int32_t r = 0; r < std::min(size, size > 8 ? 3 : 8); ++r)
        out += (r > 0 ? "," : "") + page->Column(c)->Text(r);
      if (size > 8) out += ",...(" + std::to_string(size) + ")";
    }
    return out;
  }

  std::string page;
  int pages = 0;
};

TEST_F(WavTest, ColumnsRefusalsAndFailuresInBothModes) {
  const int hardIO = CFileException::hardIO;
  const std::string mono = Int16s({1, -2, 32767, -32768});
  const std::string three = Int16s({1, -1, 2, -2, 3, -3});
  const std::string all4 = "A:0.25,0.5,0.75,1|Data:1,-2,32767,-32768";
  const struct {
    const char* label;
    std::string file;
    Expect byDefault;
    std::optional<Expect> byNew;  // none: as the default mode
    std::string columns;
    int position;  // where the import left the WAV file
    // "read:N", "seek:N", "stat:N": the (N+1)-th such system call fails;
    // "skip:N": the script's Skip.
    std::string fault = "";
    const char* args = "%w,%h";
  } cases[] = {
      {"16-bit mono", WavFile{mono}.Bytes(), {0, 0, 0}, {}, all4, 52},
      {"8-bit samples are unsigned", WavFile{std::string("\x00\x80\xff", 3), 1, 8}.Bytes(), {0, 0, 0}, {},
       "A:0.25,0.5,0.75|Data:0,128,255", 47},
      {"24-bit samples are unsigned", WavFile{std::string("\xff\xff\xff\x01\x00\x00", 6), 1, 24}.Bytes(),
       {0, 0, 0}, {}, "A:0.25,0.5|Data:16777215,1", 50},
      {"stereo", WavFile{three, 2}.Bytes(), {0, 0, 0}, {}, "A:0.25,0.5,0.75|Left:1,2,3|Right:-1,-2,-3", 56},
      {"three channels stay interleaved", WavFile{three, 3}.Bytes(), {0, 0, 0}, {}, "A:0.25,0.5|Data:1,-1,2,-2,3,-3",
       56},
      {"stereo, half a frame at the end", WavFile{three.substr(0, 6), 2}.Bytes(), {0, 0, 0}, {},
       "A:0.25|Left:1|Right:-1", 50},
      {"an 18-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 18}.Bytes(), {0, 0, 0}, {}, all4, 54},
      {"a fact chunk", WavFile{mono, 1, 16, 4, 1, 16, "fact"}.Bytes(), {0, 0, 0}, {}, all4, 64},
      {"data size all ones", WavFile{mono, 1, 16, 4, 1, 16, "data", 0xFFFFFFFF}.Bytes(), {0, 0, 0}, {}, all4, 52},
      {"data size 0", WavFile{mono, 1, 16, 4, 1, 16, "data", 0}.Bytes(), {0, 0, 0}, {}, all4, 52},
      {"data size beyond the file", WavFile{mono + "\x07", 1, 16, 4, 1, 16, "data", 1000}.Bytes(), {0, 0, 0}, {},
       all4, 52},
      {"data size inside the file", WavFile{mono, 1, 16, 4, 1, 16, "data", 3}.Bytes(), {0, 0, 0}, {}, "A:0.25|Data:1",
       46},
      {"Skip gaps count against the file", WavFile{Int16s({1, 9, 2, 9, 3}), 1, 16, 4, 1, 16, "data", 0xFFFFFFFF}.Bytes(),
       {0, 0, 0}, {}, "A:0.25,0.5,0.75|Data:1,2,3", 56, "skip:2"},
      {"no samples", WavFile{}.Bytes(), {0, 0, 0}, {}, "A:", 44},
      {"not PCM", WavFile{mono, 1, 16, 4, 3}.Bytes(), {41, 0, 41}, {}, "A:", 21},
      {"not RIFF", WavFile{.samples = mono, .riff = "RIFX"}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"not WAVE", WavFile{.samples = mono, .wave = "AVI "}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"no fmt chunk at 12", WavFile{.samples = mono, .fmt = "JUNK"}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"a 21-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 21}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"a LIST chunk before the data", WavFile{mono, 1, 16, 4, 1, 16, "LIST"}.Bytes(), {41, 0, 41}, {}, "A:", 40},
      {"0 channels", WavFile{mono, 0}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"4 bits per sample", WavFile{mono, 1, 4}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"40 bits per sample", WavFile{mono, 1, 40}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"a rate of 0", WavFile{mono, 1, 16, 0}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"no wksname$", WavFile{mono}.Bytes(), {1024, 0, 2}, {{10, 0, 10}}, "A:", 0, "", ",%h"},
      {"an empty file", "", {4, 0, 4}, {{33, 0, 545}}, "A:", 20},
      {"the file ends in the header", WavFile{mono}.Bytes().substr(0, 35), {4, 0, 4}, {{33, 0, 545}}, "A:", 35},
      {"the first SetPos fails", WavFile{mono}.Bytes(), {4, 5, 4}, {{27, hardIO, 539}}, "A:", 0, "seek:0"},
      {"the first Read fails", WavFile{mono}.Bytes(), {4, 5, 4}, {{28, hardIO, 540}}, "A:", 20, "read:0"},
      {"Size fails", WavFile{mono}.Bytes(), {4, 5, 4}, {{25, hardIO, 537}}, "A:", 44, "stat:2"},
      {"ARead refuses a negative Skip", WavFile{mono}.Bytes(), {4, 0, 4}, {{12, 0, 524}}, "A:", 44, "skip:-1"},
      {"ARead's read fails: soft, as for ARead", WavFile{std::string(1 << 17, '\x01')}.Bytes(), {1157, 0, 0},
       {{30, 0, 0}}, "A:0.25,0.5,0.75,...(65536)", 44, "read:2"},
  };
  for (const auto& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (newMode ? " (new mode)" : " (default mode)"));
      Fresh();
      const std::string name = NewPage();
      const int wav = OpenFile(MakeFile("in.wav", c.file));
      OpenFile(MakeFile("other.bin", "x"));
      host.SetNumber("NBYTES", 8);
      host.SetNumber("SIGNED", 1);
      host.SetNumber("SKIP", c.fault.starts_with("skip:") ? std::stoi(c.fault.substr(5)) : 0);
      NewMode(newMode);
      const auto at = c.fault.find(':');
      const int n = at == std::string::npos ? 0 : std::stoi(c.fault.substr(at + 1));
      if (c.fault.starts_with("read:")) fault::Fail(fault::Call::readAt, EIO, n);
      if (c.fault.starts_with("seek:")) fault::Fail(fault::Call::seek, EIO, n);
      if (c.fault.starts_with("stat:")) fault::Fail(fault::Call::statFd, EIO, n);
      std::string args = c.args;
      if (args.starts_with("%w")) args.replace(0, 2, name);
      args.replace(args.find("%h"), 2, std::to_string(wav));
      ExpectOutcome(Invoke("WAV", args), newMode ? c.byNew.value_or(c.byDefault) : c.byDefault);
      fault::Clear();
      EXPECT_FALSE(TheFum().nestedCall);
      EXPECT_EQ(Number("HFILE"), wav);  // hFile makes its file current, as for every file method
      EXPECT_EQ(Number("NBYTES"), 8);
      EXPECT_EQ(Number("SIGNED"), 1);
      EXPECT_EQ(Columns(), c.columns);
      EXPECT_EQ(Invoke("GETPOS", std::to_string(wav)).result, c.position);
    }
  }
}

}  // namespace
}  // namespace kfio::testing
