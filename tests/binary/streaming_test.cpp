// A transfer streamed through a small buffer, piece after piece, leaves exactly what one buffer for the whole
// transfer leaves: the values stored, Error, the result, the file position and the bytes written.
#include <tuple>

#include "binary/binary_fixture.h"

namespace kfio::testing {
namespace {

// What a transfer left behind: the result, Error, the position, the dataset d, and out.bin for a write.
struct Left {
  double result; int error; double position; std::vector<double> values; std::string file;
  bool operator==(const Left&) const = default;
};

// bytes: in.bin; more: settings beyond nBytes and Skip; then what the whole transfer leaves in one buffer: Error,
// the position, and the size of the dataset (of the file, for a write).
struct Scenario {
  const char* label; std::string bytes; int nBytes, skip; const char *method, *args;
  std::function<void(FumTest&)> more; int error = 0; double position = 0; std::size_t size = 0;
};

class Streaming : public BinaryTest {
 public:
  Left Run(const Scenario& s, std::size_t pieceBytes) {
    Call("CLOSEALL");
    Call("RESET");
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
    Left left{o.result, o.error, Position(), Values(d), {}};
    Call("CLOSEALL");
    left.file = Contents("out.bin");
    return left;
  }
};

TEST_F(Streaming, PiecesLeaveWhatOneBufferLeaves) {
  std::string bcd;  // ten packed BCD values of 10 bytes, the fourth with a nibble above 9
  for (int v = 0; v < 10; ++v) bcd += static_cast<char>(v == 3 ? 0x1A : 0x10 + v) + std::string(9, '\0');
  const auto reversed = [](FumTest& t) { t.host.SetNumber("SIGNED", 1); t.host.SetNumber("BYTEORDER", 1); };
  const std::string bytes = Counting(40, 7, 1);
  constexpr int kRange = FUM_TypeConverter::kOutOfRange;
  const Scenario scenarios[] = {
      {"whole file", bytes, 2, 0, "AREAD", "d,1,20,0", nullptr, 0, 40, 20},
      {"gaps", bytes, 2, 3, "AREAD", "d,2,8,0", nullptr, 0, 32, 8},
      {"file ends inside a value", Counting(41, 7, 1), 4, 0, "AREAD", "d,1,20,0", nullptr, 33, 41, 10},
      {"file ends inside a gap", Counting(27, 7, 1), 2, 3, "AREAD", "d,1,9,0", nullptr, 33, 27, 6},
      {"no routine for the width", bytes, 2, 0, "AREAD", "d,1,10,1", nullptr, 43, 20, 0},
      {"a bad digit in the fourth value: the whole image read", bcd, 10, 0, "AREAD", "d,1,10,2", nullptr, 32, 100, 3},
      {"signed, reversed", bytes, 4, 1, "AREAD", "d,1,8,0", reversed, 0, 39, 8},
      // Odd values are negative: unsigned 24 bits cannot hold them.
      {"writing with gaps", "", 3, 2, "AWRITE", "d,2,11,0", nullptr, kRange, 48, 48},
      {"writing 24-bit values out of range", "", 3, 0, "AWRITE", "d,1,12,0", nullptr, kRange, 36, 36},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.label);
    const Left whole = Run(s, 0);
    const bool writing = std::string(s.method) == "AWRITE";
    EXPECT_EQ(std::make_tuple(whole.error, whole.position, writing ? whole.file.size() : whole.values.size()),
              std::make_tuple(s.error, s.position, s.size));
    for (std::size_t piece : {1u, 3u, 7u, 10u, 16u}) {
      SCOPED_TRACE("pieces of " + std::to_string(piece) + " bytes");
      EXPECT_EQ(Run(s, piece), whole);
    }
  }
}

// A read that fails after some pieces have been stored: those values stay, the rest do not, the count is the
// result, and Error tells.
TEST_F(Streaming, AFailedReadKeepsThePiecesBeforeIt) {
  for (bool newMode : {false, true}) {
    const Left left = Run({"", std::string(200000, '\x05'), 1, 0, "AREAD", "d,1,200000,0", [newMode](FumTest& t) {
                             t.NewMode(newMode);
                             fault::Fail(fault::Call::readAt, EIO, 1);  // the second piece's read
                           }}, 65536);
    EXPECT_EQ(left.error, newMode ? 30 : 1157);
    EXPECT_EQ(left.result, 200000);
    EXPECT_EQ(left.values, std::vector<double>(65536, 5.0));
  }
}

}  // namespace
}  // namespace kfio::testing
