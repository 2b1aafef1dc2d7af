// CRead: the bytes over spaces, the position after it, and its failures in both error modes.
#include <new>

#include "binary/bulk.h"
#include "text/text_fixture.h"

namespace kfio::testing {
namespace {


TEST_F(TextTest, CReadInBothModes) {
  const double miss = kMissingValue;
  const double none = -99;  // a refused parse leaves the result alone
  const struct {
    const char* label;
    int offset;
    const char* args;
    Expect byDefault, byNew;
    std::string stored;
    int position;
    const char* setting = "";  // "pieces": 2-byte pieces; "readAt": the read fails with EIO; "memory": no buffer
  } cases[] = {
      {"three of six", 0, "A,3", {0, 0, 0, 3}, {0, 0, 0, 3}, "abc", 3},
      {"across pieces", 0, "A,6", {0, 0, 0, 6}, {0, 0, 0, 6}, "abcdef", 6, "pieces"},
      {"three left of five", 3, "A,5", {33, 0, 0, 5}, {33, 0, 0, 5}, "def  ", 6},
      {"at the end", 6, "b$,5", {33, 0, 0, 5}, {33, 0, 0, 5}, "     ", 6},
      {"read fails", 2, "A,2", {1157, 0, 0, 2}, {30, 0, 0, 2}, "  ", 2, "readAt"},
      {"no memory", 0, "A,2", {0, 0, 1, miss}, {0, 0, 1, miss}, "old", 0, "memory"},
      {"no letter", 0, ",2", {1024, 0, 2, none}, {10, 0, 10, none}, "old", 0},
      {"no nChar", 0, "A", {1024, 0, 2, none}, {10, 0, 10, none}, "old", 0},
      {"nChar 0", 0, "A,0", {0, 0, 2, 0}, {12, 0, 12, miss}, "old", 0},
      {"not a letter", 0, "[,2", {65, 0, 2, none}, {18, 0, 18, none}, "old", 0},
      {"host refuses", 0, "A,2", {6, 0, 2, miss}, {20, 0, 20, miss}, "old", 2, "refuse"},
  };
  for (const auto& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (newMode ? " (new mode)" : " (default mode)"));
      Fresh();
      Prepare("abcdef", c.offset);
      host.SetStringVar('B', "old");
      const std::string setting = c.setting;
      if (setting == "pieces") XoBulk::SetPieceBytes(2);
      if (setting == "memory") NoMemory();
      if (setting == "readAt") fault::Fail(fault::Call::readAt, EIO);
      if (setting == "refuse")
        host.serviceProbe = [](uint32_t code) {
          if (code == op::kSetStringVar) throw std::bad_alloc();
        };
      NewMode(newMode);
      ExpectOutcome(Invoke("CREAD", c.args), newMode ? c.byNew : c.byDefault);
      XoBulk::ResetAllocator();
      host.serviceProbe = nullptr;
      fault::Clear();
      EXPECT_EQ(host.StringVar(c.args[0] == 'b' ? 'B' : 'A'), c.stored);
      EXPECT_EQ(Position(), c.position);
    }
  }
}

}  // namespace
}  // namespace kfio::testing
