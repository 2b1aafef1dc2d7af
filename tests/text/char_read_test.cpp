// CRead: the bytes over spaces, the position after it, and its failures in both error modes.
#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

TEST_F(TextTest, CReadInBothModes) {
  // setting: "pieces": 2-byte pieces; "readAt": the read fails with EIO; "memory": no buffer; "refuse": the host
  // refuses the string variable.
  const struct {
    const char* label; int offset; const char* args; Expect byDefault, byNew; std::string stored; int position;
    const char* setting = "";
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
      {"nChar -1", 0, "A,-1", {3, 0, 2, none}, {12, 0, 12, none}, "old", 0},
      {"not a letter", 0, "[,2", {65, 0, 2, none}, {18, 0, 18, none}, "old", 0},
      {"host refuses", 0, "A,2", {6, 0, 2, miss}, {20, 0, 20, miss}, "old", 2, "refuse"},
  };
  for (const auto& c : cases) {
    const std::string setting = c.setting;
    BothModes(c.label, "CREAD", [&] {
      Prepare("abcdef", c.offset);
      host.SetStringVar('B', "old");
      if (setting == "pieces") XoBulk::SetPieceBytes(2);
      if (setting == "memory") NoMemory();
      if (setting == "readAt") fault::Fail(fault::Call::readAt, EIO);
      if (setting == "refuse") Refuse(op::kSetStringVar);
      return std::string(c.args);
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(host.StringVar(c.args[0] == 'b' ? 'B' : 'A'), c.stored);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

}  // namespace
}  // namespace kfio::testing
