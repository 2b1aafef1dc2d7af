// A transfer streamed through a small buffer, piece after piece, leaves
// exactly what one buffer for the whole transfer leaves: the values stored,
// Error, the result, the file position and the bytes written.
#include <fstream>
#include <iterator>

#include "binary/bulk.h"
#include "fum/fum_fixture.h"

namespace kfio::testing {
namespace {

// What a transfer left behind.
struct Left {
  double result;
  int error;
  double position;
  std::vector<double> values;  // the dataset d
  std::string file;            // out.bin, for writes
  bool operator==(const Left&) const = default;
};

struct Scenario {
  const char* label;
  std::string bytes;  // in.bin
  int nBytes, skip, binType;
  const char* method;
  const char* args;
  std::function<void(FumTest&)> more;
};

class Streaming : public FumTest {
 public:
  ~Streaming() override { XoBulk::ResetAllocator(); }

  Left Run(const Scenario& s, std::size_t pieceBytes) {
    double r = 0;
    host.Call("CLOSEALL", "", r);
    host.Call("RESET", "", r);
    XoBulk::ResetAllocator();
    if (pieceBytes != 0) XoBulk::SetPieceBytes(pieceBytes);
    refhost::HostDataset* d = host.Dataset("d") ? host.Dataset("d") : host.NewDataset("d");
    d->Resize(0);
    std::filesystem::remove(Path("out.bin"));
    const bool writing = std::string(s.method) == "AWRITE";
    if (writing) {
      d->Resize(12);
      for (int i = 0; i < 12; ++i) d->SetValue(i, i % 2 ? -300 - i : 0x10203 * i);
    }
    OpenFile(writing ? Path("out.bin") : MakeFile("in.bin", s.bytes), writing ? 1 : 0);
    host.SetNumber("NBYTES", s.nBytes);
    host.SetNumber("SKIP", s.skip);
    if (s.more) s.more(*this);
    const Outcome o = Invoke(s.method, s.args);
    Left left{o.result, o.error, Invoke("GETPOS", "").result, {}, {}};
    for (int i = 0; i < d->Size(); ++i) left.values.push_back(d->Value(i));
    host.Call("CLOSEALL", "", r);
    std::ifstream in(Path("out.bin"), std::ios::binary);
    left.file.assign(std::istreambuf_iterator<char>(in), {});
    return left;
  }
};

std::string Counting(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s.push_back(static_cast<char>(i * 7 + 1));
  return s;
}

// Ten packed BCD values of 10 bytes, the fourth with a nibble above 9.
std::string Bcd() {
  std::string s;
  for (int v = 0; v < 10; ++v) {
    std::string value(10, '\0');
    value[0] = static_cast<char>(v == 3 ? 0x1A : 0x10 + v);
    s += value;
  }
  return s;
}

TEST_F(Streaming, PiecesLeaveWhatOneBufferLeaves) {
  const Scenario scenarios[] = {
      {"whole file", Counting(40), 2, 0, 0, "AREAD", "d,1,20,0", nullptr},
      {"gaps", Counting(40), 2, 3, 0, "AREAD", "d,2,8,0", nullptr},
      {"file ends inside a value", Counting(41), 4, 0, 0, "AREAD", "d,1,20,0", nullptr},
      {"file ends inside a gap", Counting(27), 2, 3, 0, "AREAD", "d,1,9,0", nullptr},
      {"no routine for the width", Counting(40), 2, 0, 1, "AREAD", "d,1,10,1", nullptr},
      {"a bad digit in the fourth value", Bcd(), 10, 0, 2, "AREAD", "d,1,10,2", nullptr},
      {"signed, reversed", Counting(40), 4, 1, 0, "AREAD", "d,1,8,0",
       [](FumTest& t) { t.host.SetNumber("SIGNED", 1); t.host.SetNumber("BYTEORDER", 1); }},
      {"writing with gaps", "", 3, 2, 0, "AWRITE", "d,2,11,0", nullptr},
      {"writing 24-bit values out of range", "", 3, 0, 0, "AWRITE", "d,1,12,0", nullptr},
  };
  for (const Scenario& s : scenarios) {
    const Left whole = Run(s, 0);
    for (std::size_t piece : {1u, 3u, 7u, 16u}) {
      SCOPED_TRACE(std::string(s.label) + ", pieces of " + std::to_string(piece) + " bytes");
      EXPECT_EQ(Run(s, piece), whole);
    }
  }
}

// The cases above must be the ones that matter: check a few outcomes.
TEST_F(Streaming, TheScenariosFailWhereTheyShould) {
  const Left shortFile = Run({"", Counting(41), 4, 0, 0, "AREAD", "d,1,20,0", nullptr}, 3);
  EXPECT_EQ(shortFile.error, 33);
  EXPECT_EQ(shortFile.values.size(), 10u);
  EXPECT_EQ(shortFile.position, 41);
  const Left badDigit = Run({"", Bcd(), 10, 0, 2, "AREAD", "d,1,10,2", nullptr}, 10);
  EXPECT_EQ(badDigit.error, 32);
  EXPECT_EQ(badDigit.values.size(), 3u);
  EXPECT_EQ(badDigit.position, 100);  // the whole image was read
  const Left noRoutine = Run({"", Counting(40), 2, 0, 1, "AREAD", "d,1,10,1", nullptr}, 2);
  EXPECT_EQ(noRoutine.error, 43);
  EXPECT_EQ(noRoutine.position, 20);
  const Left written = Run({"", "", 3, 0, 0, "AWRITE", "d,1,12,0", nullptr}, 5);
  EXPECT_EQ(written.file.size(), 36u);
  EXPECT_EQ(written.file.substr(3, 3), std::string("\xD3\xFE\xFF", 3));  // -301, its low bytes
  EXPECT_EQ(written.error, FUM_TypeConverter::kOutOfRange);  // unsigned 24 bits cannot hold it
}

// A read that fails after some pieces have been stored: those values stay,
// the rest do not, and Error tells.
TEST_F(Streaming, AFailedReadKeepsThePiecesBeforeIt) {
  constexpr int kValues = 200000;
  std::string bytes(kValues, '\x05');
  const Scenario s{"", bytes, 1, 0, 0, "AREAD", "d,1,200000,0", [](FumTest&) {
                     fault::Fail(fault::Call::readAt, EIO, 1);  // the second piece's read
                   }};
  const Left left = Run(s, 65536);
  EXPECT_EQ(left.error, 1157);
  EXPECT_EQ(left.result, kValues);
  ASSERT_EQ(left.values.size(), 65536u);
  EXPECT_EQ(left.values.back(), 5.0);
}

}  // namespace
}  // namespace kfio::testing
